#pragma once

#include <QString>

#include <vector>

namespace zentra {
struct BookKind;
}

namespace zentra::ui {

// One entry field of a book dialog's edit panel.
struct BookField {
    enum class Control { Edit, Numeric, Class, Province, City, District };
    QString label;
    const char *column; // the table column it edits
    Control control = Control::Edit;
};

// Everything that tells the book dialogs apart: the receiver book, the sender
// book and the goods catalogue are one dialog over these descriptions.
struct BookDialogText {
    const BookKind *kind;
    QString caption;
    QString entityGroup; // group box of the entry buttons
    QString saveButton;  // "确定(S)" or "保存(S)"
    QString gridSpec;
    std::vector<BookField> fields;
    QString noSelection; // edit or delete without a selected row
    QString deleteQuestion, deleteCaption;
    QString batchDeleteQuestion, batchDeleteCaption;
    QString classAddCaption, classRenameCaption, classDeleteCaption;
    QString nothingCheckedForClass; // empty: the class chooser opens anyway
    QString chooserObjectName, chooserCaption;
    bool classByName = false;        // batch class change by name (goods) rather than by counter
    int keyGridColumn[2] = {-1, -1}; // grid columns of the identity
    int idGridColumn = -1;
};

const BookDialogText &receiverDialogText();
const BookDialogText &senderDialogText();
const BookDialogText &cargoDialogText();

}
