#pragma once
// Fixtures of the error-report tests: a real SMTP server on 127.0.0.1 (aiosmtpd under
// the system's Python), optionally offering STARTTLS with a certificate made for the
// test; ports that refuse or never answer; and a recorder for the URLs handed to the
// desktop.

#include "app/UrlOpener.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

// A socket on 127.0.0.1 that listens but never answers: connections hang until the
// client gives up. With `listen` false the port is free, so connections are refused.
class SilentPort {
public:
    explicit SilentPort(bool listening)
    {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        bind(m_fd, reinterpret_cast<sockaddr*>(&addr), len);
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        if (listening)
            listen(m_fd, 4);
    }
    ~SilentPort() { close(m_fd); }
    SilentPort(const SilentPort&) = delete;
    SilentPort& operator=(const SilentPort&) = delete;
    int port() const { return m_port; }

private:
    int m_fd;
    int m_port;
};

class LocalSmtpServer {
public:
    explicit LocalSmtpServer(bool starttls = false)
    {
        QStringList args { QStringLiteral(QUAVERLY_SOURCE_DIR "/tests/app/smtp_server.py"),
            dir("") };
        if (starttls) {
            std::string out;
            const int rc = testsupport::runProgram(
                { "openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1", "-subj",
                    "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                    (m_dir / "key.pem").string(), "-out", (m_dir / "cert.pem").string() },
                &out);
            EXPECT_EQ(rc, 0) << out;
            args << caFile() << dir("key.pem");
        }
        m_process.start(QStringLiteral("/usr/bin/python3"), args);
        while (m_process.waitForReadyRead(10000)) {
            m_output += m_process.readAll();
            if (m_output.contains('\n'))
                break;
        }
        const QByteArray line = m_output.trimmed();
        if (line.startsWith("READY "))
            m_port = line.mid(6).toInt();
        EXPECT_GT(m_port, 0) << m_output.toStdString()
                             << m_process.readAllStandardError().toStdString();
    }
    ~LocalSmtpServer()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished();
    }

    int port() const { return m_port; }
    QString caFile() const { return dir("cert.pem"); }

    // The n-th message received (from 1), or an empty object.
    QJsonObject message(int n) const
    {
        QFile file(dir(QString::number(n) + QStringLiteral(".json")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }
    int count() const
    {
        return static_cast<int>(
            QDir(dir("")).entryList({ QStringLiteral("*.json") }, QDir::Files).size());
    }

private:
    QString dir(const QString& name) const
    {
        return QString::fromStdString((m_dir / name.toStdString()).string());
    }

    testsupport::TempDir m_dir;
    QProcess m_process;
    QByteArray m_output;
    int m_port = 0;
};

// Records the URLs that would have gone to the desktop.
class RecordedUrls {
public:
    RecordedUrls()
    {
        m_previous = SetUrlOpener([this](const QUrl& url) {
            urls.push_back(url);
            return true;
        });
    }
    ~RecordedUrls() { SetUrlOpener(m_previous); }
    RecordedUrls(const RecordedUrls&) = delete;
    RecordedUrls& operator=(const RecordedUrls&) = delete;

    std::vector<QUrl> urls;

private:
    TUrlOpener m_previous;
};
