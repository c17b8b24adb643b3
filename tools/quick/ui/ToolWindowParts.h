#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QComboBox;
class QToolBar;
class QToolButton;
class QWidget;

namespace wv {

// Pieces the small tool windows share.
namespace toolparts {

// A toolbar whose buttons show their caption in pure blue (0, 0, 255) while
// the mouse is over them and in the window-text colour otherwise.
QToolBar *hoverToolBar(QWidget *parent);
QToolButton *toolButton(QToolBar *bar, const char *name, const QString &caption,
                        const QString &hint);
// An editable combo box with the history's entries.
// Esc closes the window.
void closeOnEscape(QWidget *window);
QComboBox *historyCombo(QWidget *parent, const char *name, const QStringList &items);

} // namespace toolparts

// Swallows Return and Enter in a widget and calls a function instead (the
// tool windows' "Enter acts as a click on the lookup button").
class EnterFilter : public QObject
{
    Q_OBJECT
public:
    EnterFilter(QObject *watched, std::function<void()> onEnter);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_onEnter;
};

// Lets only some typed characters through; every other typed character is
// swallowed. Keys without text (cursor keys, Backspace) and pasting pass.
class KeyCharFilter : public QObject
{
    Q_OBJECT
public:
    KeyCharFilter(QObject *watched, QString allowed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_allowed;
};

// A click on a read-only line edit selects all its text.
class SelectAllOnClick : public QObject
{
    Q_OBJECT
public:
    explicit SelectAllOnClick(QObject *watched);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace wv
