#include "i18n/VersionCheck.h"

#include "core/Comon.h"
#include "core/Constants.h"
#include "i18n/Language.h"

#include <QtConcurrent/QtConcurrentRun>

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

namespace {

const QString kVersionQueryPath = QStringLiteral("/home/download/GetversionSW.asp?nomesw=");
const QString kNoVersionAnswer = QStringLiteral("VER. 0.000");
const char kAcceptHeader[] = "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
const char kUserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";

struct Transfer {
    QByteArray body;
    qsizetype limit = 0;
    bool capped = false; // the body went on past the limit: what was read counts
    const std::atomic_bool *cancelled = nullptr;
};

size_t collectBody(char *data, size_t size, size_t count, void *user)
{
    auto *transfer = static_cast<Transfer *>(user);
    const size_t bytes = size * count;
    const qsizetype room = transfer->limit - transfer->body.size();
    if (qsizetype(bytes) > room) {
        transfer->body.append(data, room);
        transfer->capped = true;
        return 0; // curl ends the transfer with a write error; the capped body still counts
    }
    transfer->body.append(data, qsizetype(bytes));
    return bytes;
}

int checkCancelled(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Transfer *>(user)->cancelled->load() ? 1 : 0;
}

void initialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool isDigits(QStringView text)
{
    if (text.startsWith(u'-') || text.startsWith(u'+'))
        text = text.mid(1);
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

VersionCheckRequest::VersionCheckRequest() : url(versionQueryUrl()) {}

QString versionQueryUrl()
{
    return webBase() + kVersionQueryPath + kSwCode;
}

namespace {

// Step 1 of Conv_Version: the text after the first blank (the whole text without one), trimmed.
QString versionPart(const QString &Ver_str)
{
    const qsizetype blank = Ver_str.indexOf(u' ');
    return trimControl(blank < 0 ? QStringView(Ver_str) : QStringView(Ver_str).mid(blank + 1));
}

} // namespace

QString namedVersion(const QString &answer)
{
    constexpr qsizetype kLongestShown = 32;
    const QString version = versionPart(trimControl(answer));
    const auto end = std::find_if(version.begin(), version.end(), [](QChar c) { return c.unicode() < 32; });
    return version.left(std::min<qsizetype>(end - version.begin(), kLongestShown));
}

qint32 Conv_Version(const QString &Ver_str)
{
    const QString t = versionPart(Ver_str);
    if (t.size() < 5)
        return -1;
    const QString digits = QString(t.at(0)) + t.at(2) + t.at(3) + t.at(4);
    if (!isDigits(digits))
        return -1;
    return digits.toInt();
}

bool isNewerVersion(const QString &answer)
{
    const QString trimmed = trimControl(answer);
    if (trimmed.isEmpty() || trimmed.toUpper() == kNoVersionAnswer)
        return false;
    const qint32 mine = Conv_Version(kSwVersion);
    const qint32 theirs = Conv_Version(trimmed);
    return mine != -1 && theirs != -1 && theirs > mine;
}

QString fetchVersionAnswer(const VersionCheckRequest &request, QString *failure)
{
    initialiseCurlOnce();
    CURL *curl = curl_easy_init();
    if (!curl) {
        if (failure)
            *failure = QStringLiteral("the HTTP client could not start");
        return QString();
    }

    Transfer transfer;
    transfer.limit = request.maxBodyBytes;
    transfer.cancelled = request.cancelled.get();

    // Our Accept replaces curl's own; no other header is added (no Expect, no cookies).
    curl_slist *headers = curl_slist_append(nullptr, kAcceptHeader);

    const QByteArray url = request.url.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L); // runs on a worker thread
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(request.connectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(request.totalTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkCancelled);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);

    const CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);

    const bool read = result == CURLE_OK || (result == CURLE_WRITE_ERROR && transfer.capped);
    if (failure) {
        if (!read)
            *failure = QString::fromUtf8(curl_easy_strerror(result));
        else if (status < 200 || status > 299)
            *failure = QStringLiteral("the server answered with HTTP status %1").arg(status);
        else
            failure->clear();
    }
    if (!read || status < 200 || status > 299)
        return QString();
    return QString::fromLatin1(transfer.body);
}

bool Check_Version(const VersionCheckRequest &request)
{
    return isNewerVersion(fetchVersionAnswer(request));
}

std::optional<bool> checkVersionAnswered(const VersionCheckRequest &request, QString *failure, QString *named)
{
    const QString answer = fetchVersionAnswer(request, failure);
    if (!failure->isEmpty())
        return std::nullopt;
    if (named)
        *named = namedVersion(answer);
    return isNewerVersion(answer);
}

QFuture<bool> startVersionCheck(const VersionCheckRequest &request)
{
    return QtConcurrent::run([request] { return Check_Version(request); });
}
