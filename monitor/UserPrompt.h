#pragma once

#include <QString>

namespace wv {

// The questions the logic has to put to the user, answered by a window (or
// by a script in tests), so that the logic itself needs no widgets.
class UserPrompt
{
public:
    virtual ~UserPrompt() = default;
    // Yes/No with the warning icon and "No" as the default; true only for Yes.
    virtual bool askWarningYesNo(const QString &caption, const QString &text) = 0;
    // OK/Cancel with the question icon and "Cancel" as the default; true only for OK.
    virtual bool askOkCancel(const QString &caption, const QString &text) = 0;
};

} // namespace wv
