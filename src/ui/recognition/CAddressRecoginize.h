#pragma once

#include "core/recognition/RecognizedEntry.h"
#include "core/recognition/RegionIndex.h"

#include <QDialog>

#include <array>
#include <optional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace zentra::ui {

class Dialogs;

// "收货信息识别": splits a pasted delivery text into the nine fields, lets the
// user correct them and files the person as a receiver or a sender. Opening
// it recognises the clipboard's text. The method drop-down is the one of
// config.ini and writes its choice there at once. The places of the smart
// method come from the database's region tables, read once at opening.
class CAddressRecoginize : public QDialog {
    Q_OBJECT
public:
    CAddressRecoginize(const std::string &databasePath, const std::string &configPath, Dialogs &dialogs,
                       QWidget *parent = nullptr);

    // The text of "查看示例(E)".
    static const char *exampleText();

    // The nine result boxes, in the order of RecognizedAddress::toList().
    RecognizedAddress fields() const;

    void recognizeClipboard();
    void recognizeInput();
    void showExample();
    void saveAsReceiver() { save(RecognizedBook::Receiver); }
    void saveAsSender() { save(RecognizedBook::Sender); }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void recognize(const QString &text);
    void save(RecognizedBook book);
    void methodChosen(int index);

    std::string databasePath_;
    std::string configPath_;
    Dialogs &dialogs_;
    std::optional<RegionIndex> regions_; // empty: the built-in regions
    QPlainTextEdit *input_;
    QComboBox *method_;
    std::array<QLineEdit *, 9> boxes_{};
};

}
