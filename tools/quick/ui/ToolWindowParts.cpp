#include "tools/quick/ui/ToolWindowParts.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace wv {

namespace toolparts {

QToolBar *hoverToolBar(QWidget *parent)
{
    auto *bar = new QToolBar(parent);
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->setStyleSheet(QStringLiteral("QToolButton:hover { color: #0000ff; }"));
    return bar;
}

QToolButton *toolButton(QToolBar *bar, const char *name, const QString &caption,
                        const QString &hint)
{
    auto *b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    bar->addWidget(b);
    return b;
}

void closeOnEscape(QWidget *window)
{
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    esc->setContext(Qt::WindowShortcut);
    QObject::connect(esc, &QShortcut::activated, window, &QWidget::close);
}

QComboBox *historyCombo(QWidget *parent, const char *name, const QStringList &items)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setCurrentIndex(-1);
    c->setEditText(QString());
    return c;
}

} // namespace toolparts

EnterFilter::EnterFilter(QObject *watched, std::function<void()> onEnter)
    : QObject(watched), m_onEnter(std::move(onEnter))
{
    watched->installEventFilter(this);
}

bool EnterFilter::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (event->type() == QEvent::KeyPress) {
                // Run from the event loop: the handler may wait in a loop of
                // its own and the key event must be finished first.
                QTimer::singleShot(0, this, [this] { m_onEnter(); });
            }
            event->accept();
            return true;
        }
    }
    return false;
}

KeyCharFilter::KeyCharFilter(QObject *watched, QString allowed)
    : QObject(watched), m_allowed(std::move(allowed))
{
    watched->installEventFilter(this);
}

bool KeyCharFilter::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->matches(QKeySequence::Paste) || (key->modifiers() & Qt::ControlModifier))
        return false;
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    for (const QChar c : text) {
        if (!m_allowed.contains(c))
            return true;
    }
    return false;
}

SelectAllOnClick::SelectAllOnClick(QObject *watched) : QObject(watched)
{
    watched->installEventFilter(this);
}

bool SelectAllOnClick::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
    }
    return false;
}

} // namespace wv
