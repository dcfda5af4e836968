// A plugin the start-up test loads into the installed program (through
// QT_QPA_GENERIC_PLUGINS, so the program itself is run unchanged). Once the
// event loop runs it prints what the user would see, a dialog or message box
// or else the shown main window, one line each, and ends the program.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGenericPlugin>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

void report(const char* kind, const QWidget* widget, const QString& text = QString()) {
    std::printf("%s|%s|%s|%s\n", kind, widget->metaObject()->className(),
                qPrintable(widget->windowTitle()), qPrintable(text));
}

class StartWatcher : public QObject {
public:
    StartWatcher() {
        connect(&m_timer, &QTimer::timeout, this, [this] { look(); });
        m_timer.start(100);
    }

private:
    void look() {
        bool seen = false;
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (const QWidget* window : windows) {
            if (!window->isVisible())
                continue;
            if (const auto* box = qobject_cast<const QMessageBox*>(window)) {
                report("message", box, box->text());
                seen = true;
            } else if (qobject_cast<const QDialog*>(window)) {
                report("dialog", window);
                seen = true;
            }
        }
        if (!seen) {
            for (const QWidget* window : windows)
                if (window->isVisible() && qobject_cast<const QMainWindow*>(window)) {
                    report("window", window);
                    seen = true;
                }
        }
        if (seen || ++m_ticks > 100) {
            std::fflush(stdout);
            std::_Exit(seen ? 0 : 3);
        }
    }

    QTimer m_timer;
    int m_ticks = 0;
};

} // namespace

class StartProbe : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "startprobe.json")
public:
    QObject* create(const QString&, const QString&) override { return new StartWatcher; }
};

#include "StartProbe.moc"
