#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace wv::test {

// Runs `writer` (a helper that rewrites a file in a loop and prints a line
// after its first write) `rounds` times, kills it with SIGKILL at a random
// moment, and calls `check` with the round after each kill. Stops at the
// first fatal failure. The delays come from a seed that is printed (and read
// from WV_TEST_SEED when set), so that a failing run can be repeated.
void killDuringWrites(const QString &writer, const QStringList &args, int rounds,
                      const std::function<void(int round)> &check);

} // namespace wv::test
