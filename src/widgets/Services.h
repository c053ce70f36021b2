#pragma once

#include "core/ConfigurationLock.h"

#include <QString>
#include <QUrl>

#include <functional>

class Pinger;
class QWidget;
struct TextTable;

// Message boxes of every window; tests put a recording fake in its place.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual void error(QWidget *parent, const QString &text) = 0;
    virtual void warning(QWidget *parent, const QString &text) = 0;
    virtual bool question(QWidget *parent, const QString &text) = 0; // true for Yes
    // The general error box: failures of files and of the system, with their own message.
    virtual void generalError(QWidget *parent, const QString &text) = 0;
};

class QtMessageService : public MessageService {
public:
    // The buttons' captions come from `texts` as each box opens, so they follow the language.
    void setTexts(const TextTable *texts) { m_texts = texts; }

    void error(QWidget *parent, const QString &text) override;
    void warning(QWidget *parent, const QString &text) override;
    bool question(QWidget *parent, const QString &text) override;
    void generalError(QWidget *parent, const QString &text) override;

private:
    const TextTable *m_texts = nullptr;
};

// The platform parts the windows use, handed to each window with the state.
struct Services {
    MessageService *messages = nullptr;
    std::function<void(const QUrl &)> openUrl; // the desktop's browser
    Pinger *pinger = nullptr;                  // the ICMP echo of the device check
    int updaterWaitMs = 150000;                // how long the updater is waited for
    int lockWaitMs = ConfigurationLock::kWaitMs; // how long a run writing a configuration is waited for
};
