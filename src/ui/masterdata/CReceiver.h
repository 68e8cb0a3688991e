#pragma once

#include "ui/masterdata/CBookDlg.h"

namespace zentra::ui {

// The receiver address book ("新收件人").
class CReceiver : public CBookDlg {
    Q_OBJECT
public:
    CReceiver(const std::string &databasePath, Dialogs &dialogs, QWidget *parent = nullptr)
        : CBookDlg(receiverDialogText(), databasePath, dialogs, parent)
    {
        setObjectName(QStringLiteral("CReceiver"));
    }
};

// The sender address book ("新发件人"): the shop's own sending addresses.
class CSender : public CBookDlg {
    Q_OBJECT
public:
    CSender(const std::string &databasePath, Dialogs &dialogs, QWidget *parent = nullptr)
        : CBookDlg(senderDialogText(), databasePath, dialogs, parent)
    {
        setObjectName(QStringLiteral("CSender"));
    }
};

// The goods catalogue ("添加货品").
class CCargo : public CBookDlg {
    Q_OBJECT
public:
    CCargo(const std::string &databasePath, Dialogs &dialogs, QWidget *parent = nullptr)
        : CBookDlg(cargoDialogText(), databasePath, dialogs, parent)
    {
        setObjectName(QStringLiteral("CCargo"));
    }
};

}
