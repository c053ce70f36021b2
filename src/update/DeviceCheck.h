#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class Pinger;

// Timing of the device check.
inline constexpr int kReplyTimeoutMs = 400;
inline constexpr int kCheckPauseMs = 10;
inline constexpr int kCheckLimitMs = 5000;

// Outcome of the last echo attempt.
enum PingResult : qint32 { kPingNone = 0, kPingReply = 1, kPingNoReply = 2 };

// Sends echo requests to `target` until two have been answered or 5 s have passed, pausing
// 10 ms after each attempt while pending events (the window's input) are handled. True when
// the last attempt got a reply. An error ends the check at once and leaves `ping_res` as it
// was; so does `cancelled` turning true during a pause.
bool checkDevice(Pinger &pinger, const QString &target, qint32 &ping_res,
                 const std::function<bool()> &cancelled = {}, QString *error = nullptr);
