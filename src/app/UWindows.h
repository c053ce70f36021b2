#pragma once

#include <memory>

class TFZentreleFirmWare;
struct AppState;
struct Services;

// Creates the seven windows in their order: the main window first (its creation is the
// start-up), then the new and open configuration dialogs, the about window, the options
// window, the parameter editor and the update window, owned by the main window.
std::unique_ptr<TFZentreleFirmWare> Create_Windows(AppState &state, Services &services);

// The real platform parts: QMessageBox, QDesktopServices and the ICMP echo. The message boxes
// take their buttons' captions from the state's text table.
Services realServices(const AppState &state);
