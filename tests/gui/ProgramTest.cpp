// The program as a user starts it: a fresh home, then asked to end by a signal.
#include "support/TestSupport.h"

#include <QProcess>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace fs = std::filesystem;

TEST(Program, EndsCleanlyOnSignalsAndSavesItsSettings)
{
    for (int signal : { SIGTERM, SIGINT }) {
        SCOPED_TRACE(signal);
        testsupport::TempDir home;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", QString::fromStdString(home.path().string()));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString((home / ".config").string()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QString::fromStdString((testsupport::programDir() / "quaverly").string()));
        ASSERT_TRUE(program.waitForStarted());

        // The temporary folder is made late in the start-up, after the signal handlers.
        const fs::path base = home / "Documents/Larkspire/Quaverly";
        ASSERT_TRUE(QTest::qWaitFor([&] { return fs::is_directory(base / "Temp"); }, 20000));
        EXPECT_TRUE(fs::is_directory(base / "Output"));
        ::kill(static_cast<pid_t>(program.processId()), signal);
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);

        const fs::path conf = home / ".config/Larkspire/Quaverly.conf";
        ASSERT_TRUE(fs::exists(conf));
        QSettings stored(QString::fromStdString(conf.string()), QSettings::IniFormat);
        EXPECT_EQ(stored.value("OutputPath").toString().toStdString(), (base / "Output").string());
        EXPECT_EQ(stored.value("recentprofileind").toString(), "0");
    }
}
