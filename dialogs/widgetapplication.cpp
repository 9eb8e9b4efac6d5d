#include "dialogs/widgetapplication.h"

#include "dialogs/messagebox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <dlfcn.h>

namespace Lorvantic {

namespace {

using namespace Qt::StringLiterals;

// Message boxes where they can be shown, standard error elsewhere (the command line, a host's
// worker thread).
class DesktopMessages : public MessagePresenter {
public:
    MessageAnswer show(const Message& message) override {
        if (WidgetApplicationOnThisThread())
            return MessageBoxPresenter().show(message);
        return ShowOnStandardError(message);
    }
};

// Qt ends the process when its platform cannot open the display, so the display is looked
// for first. A platform the host chose (offscreen, vnc, ...) is trusted as it is.
bool displayReachable() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith(u"xcb"_s) && !platform.startsWith(u"wayland"_s))
        return true;
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (!wayland.isEmpty()) {
        const QString socket = QDir::isAbsolutePath(wayland)
                                   ? wayland
                                   : qEnvironmentVariable("XDG_RUNTIME_DIR") + u'/' + wayland;
        if (QFileInfo::exists(socket))
            return true;
    }
    const QString x11 = qEnvironmentVariable("DISPLAY");
    if (x11.isEmpty())
        return false;
    if (!x11.startsWith(u':'))
        return true; // a display over the network: the platform finds out
    const QString number = x11.mid(1).section(u'.', 0, 0);
    return QFileInfo::exists(u"/tmp/.X11-unix/X"_s + number);
}

// The application made here outlives any call and refers to this library's code (its windows,
// the message presenter): a host's unload of the library must not take that code away.
void stayLoaded() {
    Dl_info self{};
    if (::dladdr(reinterpret_cast<void*>(&stayLoaded), &self) != 0 && self.dli_fname)
        ::dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

QString makeWidgetApplication() {
    if (!displayReachable())
        return u"The dialogs need a display, and none can be reached (DISPLAY, WAYLAND_DISPLAY)."_s;
    // Qt keeps argc and argv for the application's lifetime; so does this library.
    static int argc = 1;
    static char name[] = "lorvantic";
    static char* argv[] = {name, nullptr};
    static auto* const application = new QApplication(argc, argv);
    Q_UNUSED(application);
    stayLoaded();
    return QString();
}

} // namespace

bool WidgetApplicationOnThisThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && app->inherits("QApplication") && QThread::currentThread() == app->thread();
}

QString PrepareWidgetApplication() {
    static DesktopMessages desktop;
    SetFallbackMessagePresenter(&desktop);
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return makeWidgetApplication();
    if (!app->inherits("QApplication"))
        return u"The dialogs need a Qt widget application; the host runs one without widgets."_s;
    if (QThread::currentThread() != app->thread())
        return u"The dialogs must be shown on the application's thread."_s;
    return QString();
}

} // namespace Lorvantic
