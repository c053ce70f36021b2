#pragma once

#include <QByteArray>
#include <QFuture>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

// The question to the maker's web server: which version of this program is published.
struct VersionCheckRequest {
    VersionCheckRequest();

    QString url;                      // the version query on webBase()
    int connectTimeoutMs = 10000;
    int totalTimeoutMs = 20000;
    qsizetype maxBodyBytes = 64 * 1024; // only this much of a longer answer is read and parsed
    // Set from any thread to abandon the request (a window closing, the program ending).
    std::shared_ptr<std::atomic_bool> cancelled = std::make_shared<std::atomic_bool>(false);
};

// webBase() + the version query path naming this program's software code.
QString versionQueryUrl();

// "1.200" -> 1200: after the first blank, five characters of which the second is skipped;
// -1 when they give no number.
qint32 Conv_Version(const QString &Ver_str);

// The version an answer body names, as Conv_Version reads it: the text after its first blank,
// up to a line break and at most 32 characters; empty for an empty answer.
QString namedVersion(const QString &answer);

// Whether an answer body names a version newer than this program's own.
bool isNewerVersion(const QString &answer);

// One HTTP/1.0 GET; the body of a 2xx answer, or an empty text on any failure
// (transport, time-out, status other than 2xx, redirection, body over the limit), whose
// reason goes to `failure` when given (empty when the server answered).
QString fetchVersionAnswer(const VersionCheckRequest &request, QString *failure = nullptr);

// Blocks for the request; never fails, any failure is "no newer version".
bool Check_Version(const VersionCheckRequest &request = VersionCheckRequest());

// As Check_Version, but a script must tell "not newer" from "no answer": nothing, with the
// reason in `failure`, when the server did not answer. `named` gets the version it named.
std::optional<bool> checkVersionAnswered(const VersionCheckRequest &request, QString *failure,
                                         QString *named = nullptr);

// Check_Version on a worker thread; the caller watches the future.
QFuture<bool> startVersionCheck(const VersionCheckRequest &request = VersionCheckRequest());
