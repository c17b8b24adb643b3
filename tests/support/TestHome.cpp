#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace wv::test {

TestHome::TestHome() : m_oldHome(qgetenv("WIREVANE_HOME")), m_oldXdg(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("WIREVANE_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/xdg")));
}

TestHome::~TestHome()
{
    qputenv("WIREVANE_HOME", m_oldHome);
    qputenv("XDG_CONFIG_HOME", m_oldXdg);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

QString testDataDir()
{
    const QByteArray env = qgetenv("WV_TEST_DATA");
    return env.isEmpty() ? QStringLiteral(WV_SOURCE_DIR "/tests/data")
                         : QString::fromLocal8Bit(env);
}

QString binDir()
{
    const QByteArray env = qgetenv("WV_BIN_DIR");
    return QString::fromLocal8Bit(env);
}

} // namespace wv::test
