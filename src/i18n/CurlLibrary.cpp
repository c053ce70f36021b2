#include "i18n/CurlLibrary.h"

#include <QLibrary>

#include <optional>

namespace {

struct LoadedCurl {
    std::optional<CurlApi> api;
    QString error;
};

template <typename Function>
bool resolve(QLibrary &library, const char *symbol, Function *function, QString *error)
{
    *function = reinterpret_cast<Function>(library.resolve(symbol));
    if (!*function)
        *error = QStringLiteral("%1 has no %2").arg(library.fileName(), QString::fromLatin1(symbol));
    return *function != nullptr;
}

LoadedCurl load()
{
    LoadedCurl loaded;
    // The names come from the build, one list per platform (KV40812_CURL_NAMES in CMake).
    QStringList names = QString::fromUtf8(qgetenv("KV40812_LIBCURL")).split(u',', Qt::SkipEmptyParts);
    if (names.isEmpty())
        names = QStringLiteral(KV40812_CURL_NAMES).split(u',', Qt::SkipEmptyParts);
    // Never unloaded: the handles and callbacks may outlive any one check.
    static QLibrary library;
    for (const QString &name : std::as_const(names)) {
        library.setFileName(name);
        if (library.load())
            break;
        loaded.error = QStringLiteral("libcurl could not be loaded: %1").arg(library.errorString());
    }
    if (!library.isLoaded())
        return loaded;
    loaded.error.clear();

    CurlApi api;
    decltype(&curl_global_init) global_init = nullptr;
    if (!resolve(library, "curl_global_init", &global_init, &loaded.error)
        || !resolve(library, "curl_easy_init", &api.easy_init, &loaded.error)
        || !resolve(library, "curl_easy_setopt", &api.easy_setopt, &loaded.error)
        || !resolve(library, "curl_easy_perform", &api.easy_perform, &loaded.error)
        || !resolve(library, "curl_easy_getinfo", &api.easy_getinfo, &loaded.error)
        || !resolve(library, "curl_easy_cleanup", &api.easy_cleanup, &loaded.error)
        || !resolve(library, "curl_easy_strerror", &api.easy_strerror, &loaded.error)
        || !resolve(library, "curl_slist_append", &api.slist_append, &loaded.error)
        || !resolve(library, "curl_slist_free_all", &api.slist_free_all, &loaded.error)) {
        loaded.error = QStringLiteral("libcurl could not be loaded: %1").arg(loaded.error);
        return loaded;
    }
    if (global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        loaded.error = QStringLiteral("libcurl could not be initialised");
        return loaded;
    }
    loaded.api = api;
    return loaded;
}

} // namespace

const CurlApi *curlApi(QString *error)
{
    // Loaded once per process; the initialisation of a function's static is thread-safe, and
    // so it also keeps curl_global_init to one call.
    static const LoadedCurl loaded = load();
    if (!loaded.api && error)
        *error = loaded.error;
    return loaded.api ? &*loaded.api : nullptr;
}
