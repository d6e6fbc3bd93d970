// vdk330q: the program. One running copy; the start-up selection (or a
// parameter file given on the command line); then the main window with the
// parameter table below it. --demo starts the inverter simulator on a
// pseudo-terminal and offers its port first.
#include "app/AppSession.h"
#include "app/SingleInstance.h"
#include "app/StartupSelection.h"
#include "app/ui/AboutBox.h"
#include "app/ui/MainWindow.h"
#include "app/ui/QtDialogs.h"
#include "app/ui/StartupDialog.h"
#include "base/Clock.h"
#include "base/EventPump.h"
#include "base/ProgramFlags.h"
#include "base/ui/ScreenPlacement.h"
#include "comm/CommLink.h"
#include "comm/QtSerialPort.h"
#include "comm/ui/SerialSetupDialog.h"
#include "data/Catalogue.h"
#include "data/ui/BufferTableWindow.h"
#include "editor/ui/ParameterWindow.h"
#include "keypad/KeyPadSession.h"
#include "keypad/ui/KeyPadWindow.h"
#include "monitor/ui/MonitorWindow.h"
#include "options/EnvironmentOptions.h"
#include "options/FileTypeRegistration.h"
#include "options/Maintenance.h"
#include "options/ProgramOptions.h"
#include "options/ui/MaintenanceLoginDialog.h"
#include "options/ui/OptionsDialog.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

using namespace vdk;

namespace {

// The simulator of --demo, stopped when the program ends.
class DemoInverter {
public:
    QString Start(const QString& program, const QString& type) {
        QStringList args;
        if (!type.isEmpty())
            args << QStringLiteral("--type") << type;
#ifdef Q_OS_LINUX
        // However this program ends, crashed or killed, its simulator ends too.
        process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        process_.start(program, args);
        if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(10000))
            return {};
        const QString line = QString::fromUtf8(process_.readLine()).trimmed();
        return line.startsWith(QLatin1String("PTY ")) ? line.mid(4) : QString();
    }
    ~DemoInverter() {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
    }

private:
    QProcess process_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VDK330Q"));
    QIcon icon(QStringLiteral(":/icons/vdk330q.svg"));
    icon.addFile(QStringLiteral(":/icons/vdk330q.png"));
    QApplication::setWindowIcon(icon);
    ScreenPlacement placement;
    app.installEventFilter(&placement);

    QCommandLineParser parser;
    parser.addOptions({
        {QStringLiteral("appdir"), QStringLiteral("Folder holding dat/, lng/ and help/."),
         QStringLiteral("DIR")},
        {QStringLiteral("demo"),
         QStringLiteral("Start with a simulated inverter (--demo TYPE for another type-form).")},
    });
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A parameter file to open."));
    parser.addHelpOption();
    parser.process(app);
    // "--demo TYPE" names the simulated inverter; any other argument is a file.
    const bool demoMode = parser.isSet(QStringLiteral("demo"));
    QString demoType;
    QString file = parser.positionalArguments().value(0);
    if (demoMode && !file.isEmpty() && !QFileInfo::exists(file)) {
        demoType = file;
        file.clear();
    }

    SingleInstance instance;
    if (!instance.Acquire()) {
        QMessageBox::critical(nullptr, QStringLiteral("VDK330Q"),
                              QStringLiteral("Already running."));
        return 1;
    }

    const QString exeDir = QApplication::applicationDirPath();
    const QString appDir = ResolveAppDir(AppDirSources{
        parser.value(QStringLiteral("appdir")), QDir::currentPath(), exeDir,
        QDir::cleanPath(exeDir + QStringLiteral("/../share/vdk330q")), !file.isEmpty()});
    AppPaths paths(appDir, ResolveSettingsFile(appDir, QStandardPaths::writableLocation(
                                                           QStandardPaths::GenericConfigLocation) +
                                                           QStringLiteral("/VDK330Q")));
    IniFile settings(paths.SettingsFile);
    EnsureFirstStartKeys(settings);

    ProgramFlags flags;
    QtDialogs dialogs;
    SystemClock clock;
    QtSerialPort port(clock);
    EnvironmentOptions options; // the one options object; loaded once the inverter is known
    AppSession session(paths, settings, dialogs, flags, options);

    // The demonstration works on its own simulator only, whatever line was
    // remembered from an earlier run.
    DemoInverter demo;
    QStringList ports = QtSerialPort::AvailablePorts();
    QString demoPort;
    if (demoMode) {
        demoPort = demo.Start(exeDir + QStringLiteral("/vdk330q-sim"), demoType);
        if (!demoPort.isEmpty())
            ports = QStringList{demoPort};
    }

    // Made before the start-up detection, so that its log shows the probes too.
    CommLink link(port, clock, session.messenger, flags);
    Detector detector(port, clock, &link.Log());
    const auto select = [&](bool forNew) {
        // Data that cannot be converted (message 68) sends the user back to
        // the selection, to choose another inverter.
        for (;;) {
            StartupSelection selection(paths, settings);
            selection.alwaysDetect = !demoPort.isEmpty();
            const auto noPort = StartupSelection::NoPortTextsFor(forNew, session.texts);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            selection.Open(forNew, &detector, ports, dialogs, noPort.caption, noPort.text);
            QApplication::restoreOverrideCursor();
            StartupDialog window(selection, forNew, QApplication::activeWindow());
            window.exec();
            selection.Commit();
            port.ClosePort();
            if (session.LoadSelection())
                return true;
            if (!session.LoadDamaged())
                return false;
        }
    };

    if (file.isEmpty()) {
        session.ReadRememberedFolders();
        select(false);
    } else {
        session.StartFromFile(file);
    }
    if (flags.StartAborted)
        return 1;
    UseQtTranslations(paths.Identity().LangCode); // the language stays for the run

    link.settings = LoadCommSettings(settings);
    FileTypeRegistration registration(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation).mid(1),
        QApplication::applicationFilePath());
    BufferTableWindow buffers(session.table, session.values, session.texts, flags);
    ProgramOptions programOptions(options, settings, link, flags,
                                  {[&](bool on) {
                                       if (on)
                                           registration.Register(false);
                                       else
                                           registration.Unregister();
                                   },
                                   [&](bool on) { buffers.setVisible(on); }});
    QObject::connect(&buffers, &BufferTableWindow::Closed,
                     [&] { programOptions.BufferWindowClosed(); });
    programOptions.Start(paths.InfoIni);
    // Long work lets the user interface in through this pump.
    FunctionPump uiPump([] { QApplication::processEvents(); });
    std::unique_ptr<MonitorWindow> monitor;
    MainWindow main(MainWindow::Parts{
        session, paths, settings, link, clock, flags, options,
        [&] {
            if (!select(true)) {
                QApplication::exit(1); // a failed New ends the program
                return false;
            }
            programOptions.AfterNew();
            buffers.Refresh();
            if (monitor)
                monitor->Reload();
            return true;
        },
        [&] {
            SerialSetupDialog setup(link, settings, session.texts, session.messenger,
                                    QApplication::activeWindow());
            setup.exec();
        },
        [&] {
            AboutBox about(Catalogue(paths), paths.Identity().TypeForm, paths.Identity().CpuVer,
                           session.texts, QApplication::activeWindow());
            about.exec();
        },
        [&] {
            MaintenanceCodes codes;
            codes.Load(paths.AppDir + QStringLiteral("/dat/Maintenance.ini"));
            MaintenanceLoginDialog login(codes, link, session.messenger, flags, session.texts,
                                         QApplication::activeWindow());
            if (login.exec() != QDialog::Accepted)
                return false;
            programOptions.MaintenanceLoggedIn();
            return true;
        },
        [&] {
            // Alarm and trip display need the words and the names to show.
            const bool fc91 =
                session.table.FindRow(u"FC91") >= 0 && !monitor->Catalogue().alarmNames.isEmpty();
            const bool fc90 =
                session.table.FindRow(u"FC90") >= 0 && !monitor->Catalogue().tripNames.isEmpty();
            OptionsDialog window(
                options, settings, session.texts, session.messenger, flags,
                {fc91, fc90, [&](bool on) { programOptions.UseMaintenance(on); },
                 [&](bool on) { programOptions.UseRegistration(on); },
                 [&](bool on) { programOptions.ShowBuffers(on); },
                 session.table.FindRow(u"FA10") >= 0 && session.table.FindRow(u"FA11") >= 0},
                QApplication::activeWindow());
            window.exec();
        },
        [&](const auto& undo, const auto& redo) { buffers.ShowStores(undo, redo); },
        [&] {
            const InverterIdentity& id = paths.Identity();
            KeyPadSession::Config config;
            config.freqCommNo = Catalogue(paths).FreqCommNo(id.TypeForm);
            config.decimalComma = DecimalCommaOf(settings, id.Language);
            config.eeprom = [&] { return options.Eeprom; };
            KeyPadSession keyPad(link, clock, uiPump, session.messenger, session.values, config);
            KeyPadWindow window(
                keyPad, session.texts,
                {IniFile(paths.InfoIni)
                         .ReadInteger(QStringLiteral("Setup"), QStringLiteral("Unit"), 0) != 0,
                 [&] { return options.PanelTime1; }},
                QApplication::activeWindow());
            window.exec();
        },
        [&] {
            if (!monitor->isVisible()) {
                // Right under the main window (its status bar stays in sight),
                // at its left edge, and no larger than the screen leaves room for.
                const QRect frame = main.frameGeometry();
                const QRect screen = main.screen()->availableGeometry();
                const QPoint at(frame.left(), frame.bottom() + 1);
                const int titleBar = main.geometry().top() - frame.top();
                monitor->resize(std::min(monitor->width(), screen.right() - at.x()),
                                std::min(monitor->height(), screen.bottom() - at.y() - titleBar));
                monitor->move(at + QPoint(0, titleBar));
            }
            monitor->show();
            monitor->raise();
            monitor->activateWindow();
        }});
    monitor = std::make_unique<MonitorWindow>(MonitorWindow::Parts{
        link, clock, uiPump, session.messenger, flags, session.table, session.values, paths,
        settings, options, session.MonDir,
        [&](bool on) {
            main.setEnabled(on);
            main.Table()->setEnabled(on);
        },
        [&](bool on) { main.SetMonitorAvailable(on); }, [&] { main.InverterInformation(true); }});
    dialogs.SetParent(&main);
    main.show();
    main.PlaceTable();
    main.Table()->resize(main.width(), main.Table()->height() + 80);
    main.Table()->show();
    return QApplication::exec();
}
