#include "media/media_control_module.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace vantrel {
namespace {

using Maker = HostedControl* (*)(QWidget* parent);

// Installed, the library sits in the program's library folder; in the build
// folder, beside the program. A program that links it already (the tests)
// finds it loaded under its bare name.
QStringList Candidates() {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString name = QString::fromLatin1(MEDIA_CONTROL_LIBRARY);
    return {programDir + QStringLiteral("/../" VANTREL_INSTALL_LIBDIR "/vantrel/") + name,
            programDir + QLatin1Char('/') + name, name};
}

Maker LoadMaker() {
    for (const QString& candidate : Candidates()) {
        if (candidate.contains(QLatin1Char('/')) && !QFile::exists(candidate)) continue;
        // Kept loaded for the rest of the run: its controls' code lives there.
        void* library = dlopen(QFile::encodeName(candidate).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            std::fprintf(stderr, "vantrel: %s\n", dlerror());
            continue;
        }
        if (void* maker = dlsym(library, MEDIA_CONTROL_MAKER))
            return reinterpret_cast<Maker>(maker);
    }
    return nullptr;
}

}  // namespace

HostedControl* MakeMediaControl(QWidget* parent) {
    static const Maker maker = LoadMaker();
    return maker ? maker(parent) : nullptr;
}

}  // namespace vantrel
