#pragma once

#include "monitor/UserPrompt.h"

#include <QPointer>
#include <QWidget>

namespace wv {

// Puts the logic's questions to the user in message boxes.
class MessageBoxPrompt : public UserPrompt
{
public:
    explicit MessageBoxPrompt(QWidget *parent = nullptr) : m_parent(parent) {}
    bool askWarningYesNo(const QString &caption, const QString &text) override;
    bool askOkCancel(const QString &caption, const QString &text) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace wv
