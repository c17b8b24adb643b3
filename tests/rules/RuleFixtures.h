#pragma once

#include <QByteArray>
#include <QString>

namespace wv {
class TRuleList;
}

namespace wv::test {

// Reads a hand-written hex file from tests/data/rules: pairs of hex digits,
// blanks ignored, '#' starts a comment to the end of the line.
QByteArray hexFixture(const QString &name);

// Offsets in three_rules.hex.
inline constexpr qsizetype ThreeRulesRecord2 = 17 + 40 + 79; // where rule 2 starts
inline constexpr qsizetype ThreeRulesTrailer = ThreeRulesRecord2 + 50;

// Checks that list holds exactly the first n rules of three_rules.hex.
void expectThreeRulesPrefix(const TRuleList &list, int n);

} // namespace wv::test
