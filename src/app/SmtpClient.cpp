#include "app/SmtpClient.h"

#include <QDateTime>
#include <QUuid>

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

struct CurlDeleter {
    void operator()(CURL* ACurl) const { curl_easy_cleanup(ACurl); }
    void operator()(curl_slist* AList) const { curl_slist_free_all(AList); }
};

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Feeds the prepared message to libcurl's upload.
struct TUpload {
    QByteArray Data;
    qsizetype Offset = 0;

    static size_t Read(char* ABuffer, size_t ASize, size_t ACount, void* AUpload)
    {
        auto* upload = static_cast<TUpload*>(AUpload);
        const size_t left = static_cast<size_t>(upload->Data.size() - upload->Offset);
        const size_t n = std::min(left, ASize * ACount);
        std::memcpy(ABuffer, upload->Data.constData() + upload->Offset, n);
        upload->Offset += static_cast<qsizetype>(n);
        return n;
    }
};

QByteArray Bracketed(const QString& AAddress)
{
    return '<' + AAddress.toUtf8() + '>';
}

QByteArray SmtpUrl(const TMailSettings& ASettings)
{
    const QString host
        = ASettings.Server.contains(':') ? '[' + ASettings.Server + ']' : ASettings.Server;
    return QStringLiteral("smtp://%1:%2").arg(host).arg(ASettings.Port).toUtf8();
}

// Headers may carry only ASCII; other texts go as RFC 2047 encoded words.
QByteArray HeaderText(const QString& AText)
{
    const QByteArray utf8 = AText.toUtf8();
    const bool ascii
        = std::all_of(utf8.begin(), utf8.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
    return ascii ? utf8 : "=?UTF-8?B?" + utf8.toBase64() + "?=";
}

} // namespace

QByteArray TMailMessage::ToMime() const
{
    QByteArray mime;
    mime += "Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toUtf8() + "\r\n";
    mime += "From: " + Bracketed(Sender) + "\r\n";
    mime += "To: " + Bracketed(Recipient) + "\r\n";
    mime += "Subject: " + HeaderText(Subject) + "\r\n";
    const QByteArray domain = Sender.section('@', 1).toUtf8();
    mime += "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '@' + domain
        + ">\r\n";
    mime += "MIME-Version: 1.0\r\n";
    mime += "Content-Type: text/plain; charset=UTF-8\r\n";
    mime += "Content-Transfer-Encoding: base64\r\n\r\n";
    const QByteArray body = Body.toUtf8().toBase64();
    for (qsizetype at = 0; at < body.size(); at += 76)
        mime += body.mid(at, 76) + "\r\n";
    return mime;
}

TSmtpClient::TSmtpClient(TMailSettings ASettings)
    : FSettings(std::move(ASettings))
{
}

bool TSmtpClient::Send(const TMailMessage& AMessage)
{
    InitCurlOnce();
    FLastError.clear();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        FLastError = QStringLiteral("Cannot start the mail client");
        return false;
    }
    const QByteArray url = SmtpUrl(FSettings);
    const QByteArray from = Bracketed(AMessage.Sender);
    const QByteArray user = FSettings.Mailbox.toUtf8();
    const QByteArray password = FSettings.Password.toUtf8();
    const QByteArray caFile = FSettings.CaFile.toUtf8();
    std::unique_ptr<curl_slist, CurlDeleter> recipients(
        curl_slist_append(nullptr, Bracketed(AMessage.Recipient).constData()));
    TUpload upload { AMessage.ToMime() };
    char error[CURL_ERROR_SIZE] = {};

    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp");
    curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    if (!caFile.isEmpty())
        curl_easy_setopt(c, CURLOPT_CAINFO, caFile.constData());
    if (!user.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, &TUpload::Read);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    const long timeoutMs = FSettings.TimeoutSeconds * 1000L;
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, timeoutMs);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);

    const CURLcode code = curl_easy_perform(c);
    if (code == CURLE_OK)
        return true;
    FLastError = QString::fromUtf8(error[0] ? error : curl_easy_strerror(code));
    return false;
}
