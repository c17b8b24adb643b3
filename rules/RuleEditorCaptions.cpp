#include "rules/RuleEditorCaptions.h"

namespace wv {

const RuleEditorCaptions &RuleEditorCaptions::standard()
{
    static const RuleEditorCaptions captions;
    return captions;
}

} // namespace wv
