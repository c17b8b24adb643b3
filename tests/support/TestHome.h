#pragma once

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace wv::test {

// Points the per-user folder (and XDG config) at a fresh temporary folder for
// the lifetime of the object, restoring the previous values afterwards.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome, m_oldXdg;
};

// A fixture whose every test starts with an empty per-user folder.
class HomeTest : public ::testing::Test
{
protected:
    TestHome home;
};

// Reads a whole file (empty when missing).
QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);
// The folder of test fixtures (tests/data).
QString testDataDir();
// The folder holding the built executables.
QString binDir();

} // namespace wv::test
