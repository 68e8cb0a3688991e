#pragma once

#include <QString>

class QWidget;

namespace zentra {
class DataFolder;
class MasterBook;
}

namespace zentra::ui {

class Dialogs;

// The book dialogs' "导入" and "导出": a file dialog, the core's CSV import or
// export of the whole book, and the outcome told as the command line tells
// it. An import of more than 10,000 rows shows a progress bar (a
// QProgressDialog named "importProgress", kept by `parent` for the next
// import); cancelling it writes nothing.

// True when the book may have changed (the grid and class list are to be
// read again).
bool importBookFile(QWidget *parent, const MasterBook &book, Dialogs &dialogs, const QString &dir);

// `name` is the file name offered ("收件人.csv"). The user picks UTF-8 with a
// byte-order mark (the first type, for spreadsheet programs) or GBK.
// Nothing is written over a file of `folder`, the data folder.
void exportBookFile(QWidget *parent, const MasterBook &book, const DataFolder &folder, Dialogs &dialogs,
                    const QString &dir, const QString &name);

// The rows an import must have before its progress is shown.
inline constexpr std::size_t kImportProgressRows = 10000;

}
