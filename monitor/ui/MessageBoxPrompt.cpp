#include "monitor/ui/MessageBoxPrompt.h"

#include <QMessageBox>

namespace wv {

bool MessageBoxPrompt::askWarningYesNo(const QString &caption, const QString &text)
{
    return QMessageBox::warning(m_parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

bool MessageBoxPrompt::askOkCancel(const QString &caption, const QString &text)
{
    return QMessageBox::question(m_parent, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Cancel) == QMessageBox::Ok;
}

} // namespace wv
