#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <string>
#include <vector>

class QWidget;

namespace zentra::ui {

// Every message box, question and file dialog of the program goes through this
// interface. The program uses QtDialogs; tests install a ScriptedDialogs that
// answers from a queue and records what was asked, so no test ever blocks on a
// modal dialog.
class Dialogs {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Buttons { Ok, OkCancel };
    enum class Answer { Ok, Cancel };

    virtual ~Dialogs() = default;

    // A message box with the given caption, text, buttons and icon. Without a
    // caption it shows the program's name, without an icon the information
    // icon.
    virtual Answer message(QWidget *parent, const QString &caption, const QString &text, Buttons buttons = Buttons::Ok,
                           Icon icon = Icon::None) = 0;

    // File dialogs; an empty result means the user cancelled.
    virtual QString openFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) = 0;
    virtual QStringList openFiles(QWidget *parent, const QString &caption, const QString &dir,
                                  const QString &filter) = 0;
    virtual QString saveFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) = 0;
    virtual QString chooseFolder(QWidget *parent, const QString &caption, const QString &dir) = 0;
    // A save dialog that offers several file types (";;"-separated Qt
    // filters); `chosen` receives the index of the one the user picked.
    virtual QString saveFileAs(QWidget *parent, const QString &caption, const QString &dir, const QStringList &filters,
                               int &chosen)
    {
        chosen = 0;
        return saveFile(parent, caption, dir, filters.join(QStringLiteral(";;")));
    }

    // The caption of a message box that has none of its own.
    static QString programName();

    // Shorthands used all over the program.
    void warn(QWidget *parent, const QString &text, const QString &caption = QString())
    {
        message(parent, caption, text, Buttons::Ok, Icon::Warning);
    }
    void inform(QWidget *parent, const QString &text, const QString &caption = QString())
    {
        message(parent, caption, text, Buttons::Ok, Icon::Information);
    }
    // OK and Cancel with a warning icon; true on OK.
    bool ask(QWidget *parent, const QString &text, const QString &caption = QString())
    {
        return message(parent, caption, text, Buttons::OkCancel, Icon::Warning) == Answer::Ok;
    }
};

// The real dialogs (QMessageBox, QFileDialog).
class QtDialogs : public Dialogs {
public:
    Answer message(QWidget *parent, const QString &caption, const QString &text, Buttons buttons, Icon icon) override;
    QString openFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override;
    QStringList openFiles(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override;
    QString chooseFolder(QWidget *parent, const QString &caption, const QString &dir) override;
    QString saveFileAs(QWidget *parent, const QString &caption, const QString &dir, const QStringList &filters,
                       int &chosen) override;
};

// For tests: answers come from queues (OK and empty paths when a queue is
// empty) and every call is recorded.
class ScriptedDialogs : public Dialogs {
public:
    struct Asked {
        QString caption;
        QString text;
        Buttons buttons;
        Icon icon;
    };

    std::deque<Answer> answers;
    std::deque<QString> paths;
    std::deque<int> fileTypes; // saveFileAs's choice (0 when empty)
    std::vector<Asked> asked;
    QStringList fileCaptions;

    Answer message(QWidget *parent, const QString &caption, const QString &text, Buttons buttons, Icon icon) override;
    QString openFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override;
    QStringList openFiles(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override;
    QString chooseFolder(QWidget *parent, const QString &caption, const QString &dir) override;
    QString saveFileAs(QWidget *parent, const QString &caption, const QString &dir, const QStringList &filters,
                       int &chosen) override;

    // The text of the last message, or empty.
    QString lastText() const { return asked.empty() ? QString() : asked.back().text; }

private:
    QString nextPath(const QString &caption);
};

// A list read that failed because another program holds the database says
// so ("数据库正忙，请稍后再试"): shown empty, the list would look as if its
// entries were lost. Other failures are left to what the list shows.
void warnIfBusy(QWidget *parent, Dialogs &dialogs, bool readOk, const std::string &error);

}
