// Saves the rules file as fast as it can until it is killed. Each version
// holds five rules stamped with the same counter and long texts derived from
// it, so a reader can tell a complete version from a torn one.
#include "rules/RuleList.h"
#include "rules/RulesFile.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    wv::RulesFile file(QString::fromLocal8Bit(argv[1]));
    for (int n = 1; n < 1000000; ++n) {
        wv::TRuleList list;
        const QString c = QString::number(n);
        for (int i = 0; i < 5; ++i) {
            wv::TRule *r = list.Add();
            r->Number = n;
            r->Message = c.repeated(3000);
            r->EmailTo = c;
        }
        file.save(list);
        if (n == 1) {
            std::puts("started");
            std::fflush(stdout);
        }
    }
    return 0;
}
