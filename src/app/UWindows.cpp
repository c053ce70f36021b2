#include "app/UWindows.h"

#include "app/UAbout.h"
#include "app/UZentreleFirmWare.h"
#include "core/AppState.h"
#include "i18n/USoftOptions.h"
#include "params/UParGen.h"
#include "projects/UNew_Project.h"
#include "projects/UOpenConf.h"
#include "update/Pinger.h"
#include "update/UBoot.h"
#include "widgets/Services.h"

#include <QDesktopServices>

std::unique_ptr<TFZentreleFirmWare> Create_Windows(AppState &state, Services &services)
{
    auto main = std::make_unique<TFZentreleFirmWare>(state, services);
    auto *newProject = new TFNew_Project(state, services, main.get());
    auto *openConf = new TFOpenConf(state, services, main.get());
    auto *about = new TFAbout(state, services, main.get());
    auto *softOptions = new TFSoftOptions(state, services, main.get());
    softOptions->changeLanguage = [window = main.get()] { window->Change_Language(); };
    auto *parGen = new TFParGen(state, services, main.get());
    auto *boot = new TFBoot(state, services, main.get());
    main->setWindows(newProject, openConf, about, softOptions, parGen, boot);
    return main;
}

Services realServices(const AppState &state)
{
    static QtMessageService messages;
    messages.setTexts(&state.Text_Table);
    static IcmpPinger pinger;
    Services services;
    services.messages = &messages;
    services.pinger = &pinger;
    services.openUrl = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    return services;
}
