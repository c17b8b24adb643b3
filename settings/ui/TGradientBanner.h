#pragma once

#include <QWidget>

namespace wv {

// The banner over the options dialog's pages: its text on a horizontal
// gradient from the highlight colour to the window colour.
class TGradientBanner : public QWidget
{
    Q_OBJECT
public:
    explicit TGradientBanner(QWidget *parent = nullptr);
    void setText(const QString &text);
    QString text() const { return m_text; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
};

} // namespace wv
