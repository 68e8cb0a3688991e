#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace zentra::ui {

// What the program hands to the desktop: web pages and files opened in the
// user's default application, other programs started. The program uses
// DesktopShell; tests install a recording one, so nothing is opened or run.
class ShellServices {
public:
    virtual ~ShellServices() = default;

    // Opens a web address or a local file with the desktop's default handler.
    // Failures are ignored, as a missing browser should not stop the program.
    virtual void openUrl(const QUrl &url) = 0;

    // Starts a program detached from this one; false when it could not start.
    virtual bool startProgram(const QString &program, const QStringList &arguments = {}) = 0;

    // The full path of a program found on PATH, or empty.
    virtual QString findProgram(const QString &name) = 0;

    // Whether a file exists (help files, the updater beside the program).
    virtual bool fileExists(const QString &path) = 0;
};

class DesktopShell : public ShellServices {
public:
    void openUrl(const QUrl &url) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    QString findProgram(const QString &name) override;
    bool fileExists(const QString &path) override;
};

// For tests: records what would have been opened or started; programs listed
// in `installed` are found, files listed in `files` exist.
class RecordingShell : public ShellServices {
public:
    QList<QUrl> opened;
    QStringList started;
    QStringList installed;
    QStringList files;

    void openUrl(const QUrl &url) override { opened << url; }
    bool startProgram(const QString &program, const QStringList &) override
    {
        started << program;
        return true;
    }
    QString findProgram(const QString &name) override
    {
        return installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
    }
    bool fileExists(const QString &path) override { return files.contains(path); }
};

}
