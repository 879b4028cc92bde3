#pragma once
#include <QString>

class QWidget;

// The seam between the windows and the desktop: message boxes, the browser, the open-file
// dialog, the reachability test and the vendor site's address. The program uses the real one;
// tests install a RecordingPlatform.
class Platform {
public:
    enum class Icon { None, Stop };

    virtual ~Platform() = default;
    // A modal box with one OK button.
    virtual void messageBox(QWidget *parent, const QString &caption, const QString &text, Icon icon) = 0;
    // Hands an address to the default browser; a failure is shown in a plain box.
    virtual void openAddress(const QString &address) = 0;
    // The open-file dialog; empty when the user cancels.
    virtual QString openFileName(QWidget *parent) = 0;
    // The save-file dialog for an exported table, offering an XLSX workbook and CSV text, with a
    // suggested file name; the chosen path carries the chosen type's extension. Empty when the
    // user cancels.
    virtual QString saveFileName(QWidget *parent, const QString &suggestedName) = 0;
    // Whether a connection to the address's host can be made (bounded in time).
    virtual bool isReachable(const QString &address) = 0;
    // The vendor site's root address: scheme and host, no trailing slash.
    virtual QString vendorRoot() const;

    // The application title: captions of the plain box and the default error report. Before it
    // is set it is the executable's name up to its first dot, letters after the first lowered.
    static QString applicationTitle();
    static void setApplicationTitle(const QString &title);
    static QString defaultTitle(const QString &executablePath);

    static Platform &instance();
    // Installs a platform (not owned); nullptr restores the real one.
    static void install(Platform *platform);
};

// The vendor site the program talks to.
inline constexpr char kVendorRoot[] = "http://zendrik.cn";
inline constexpr char kVendorHost[] = "zendrik.cn";

// The three ways the program shows a message.
namespace Notify {
// Error message box: captioned with the application title, stop icon.
void error(QWidget *parent, const QString &text);
// Default error report: the application title, stop icon, a full stop appended where due.
void report(QWidget *parent, const QString &text);
// Plain message box: no icon, captioned with the application title.
void plain(QWidget *parent, const QString &text);
} // namespace Notify
