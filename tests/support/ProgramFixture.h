#pragma once

// The whole program in a window test: a fresh per-user folder for every test
// function, the settings a test starts from (no splash screen, no host-name
// look-ups of the machine's connections, since tests talk to loopback only),
// and the program's way out (quitting, plain messages, the modal summary at
// shut-down) recorded instead of acted on.
//
//   ProgramFixture m_fx;
//   void init() { m_fx.reset(); }
//   void cleanup() { m_fx.destroy(); }
//   void someCase() { MainProgram &p = m_fx.create(); ... }

#include "mainwin/ui/MainProgram.h"
#include "settings/RegistryStore.h"

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace wv::test {

// Writes one of the program's settings the way the options dialog stores it.
inline void writeSetting(const char *key, const char *value)
{
    RegistryStore().writeString(QStringLiteral("WVN3PRO\\Settings"), QString::fromLatin1(key),
                                QString::fromLatin1(value));
}

// The visible top-level window of type W, or nullptr.
template <class W> W *visibleWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *f = qobject_cast<W *>(w); f && f->isVisible())
            return f;
    }
    return nullptr;
}

class ProgramFixture
{
public:
    // From init(): ends the previous program and starts a fresh folder.
    void reset()
    {
        program.reset();
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("WIREVANE_HOME", m_home->path().toLocal8Bit());
        notices.clear();
        quits = 0;
        summaries = 0;
        writeSetting("showSplash", "0");
        writeSetting("autoResolve", "0");
    }

    using HookSetter = std::function<void(MainProgram::Hooks &)>;

    // Makes and starts the program (MainProgram::Create) with these services;
    // `more` sets further hooks before it starts.
    MainProgram &create(const TfrmMain::Services &services = {}, const HookSetter &more = {})
    {
        program = std::make_unique<MainProgram>(services);
        MainProgram::Hooks &h = program->hooks();
        h.notice = [this](const QString &text) { notices.append(text); };
        h.terminate = [this] { ++quits; };
        h.showSummaryModal = [this] { ++summaries; };
        if (more)
            more(h);
        program->Create();
        return *program;
    }

    // The same, once the refresh the program makes by itself after start-up
    // is over (bounded by 10 s).
    MainProgram &createStarted(const TfrmMain::Services &services = {}, const HookSetter &more = {})
    {
        MainProgram &p = create(services, more);
        (void)QTest::qWaitFor([&p] { return !p.oneTime().isActive(); }, 10000);
        return p;
    }

    // From cleanup(): the program goes before its folder does.
    void destroy() { program.reset(); }

    QString home() const { return m_home ? m_home->path() : QString(); }
    QString filePath(const QString &name) const { return m_home ? m_home->filePath(name) : name; }

    std::unique_ptr<MainProgram> program;
    QStringList notices;
    int quits = 0;
    int summaries = 0;

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

} // namespace wv::test
