#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;
class QSlider;

namespace zentra {
struct AppState;
class ConfigFile;
}

namespace zentra::ui {

class CColorPickerCB;
class Dialogs;

// One page of the settings sheet: shows the running values, tells the sheet
// when the user changes one (modified), and writes its keys on OK or apply
// through the settings rules, which also update AppState.
class SettingsPage : public QWidget {
    Q_OBJECT
public:
    SettingsPage(AppState &state, const ConfigFile &config, QWidget *parent = nullptr)
        : QWidget(parent), state_(state), config_(config)
    {
    }

    bool isModified() const { return modified_; }
    void setModified(bool on);
    virtual void apply(std::vector<std::string> &errors) = 0;

signals:
    void changed();

protected:
    // Connects a control's change signal to setModified(true).
    template <typename Sender, typename Signal> void watch(Sender *sender, Signal signal)
    {
        connect(sender, signal, this, [this] { setModified(true); });
    }

    AppState &state_;
    const ConfigFile &config_;

private:
    bool modified_ = false;
};

// "常规设置". Switching the login on while "admin" has no password asks for
// one first (ensureAdminPassword); without it the login stays off.
class CSysSetRoutine : public SettingsPage {
    Q_OBJECT
public:
    CSysSetRoutine(AppState &state, const ConfigFile &config, std::string databasePath, Dialogs &dialogs,
                   QWidget *parent = nullptr);
    void apply(std::vector<std::string> &errors) override;

private:
    QCheckBox *loginPass_;
    std::string databasePath_;
    Dialogs &dialogs_;
};

// "模板设计": the default style of new labels and the move step.
class CSysSetTemplate : public SettingsPage {
    Q_OBJECT
public:
    CSysSetTemplate(AppState &state, const ConfigFile &config, QWidget *parent = nullptr);
    void apply(std::vector<std::string> &errors) override;

private:
    QComboBox *font_;
    QComboBox *style_;
    CColorPickerCB *color_;
    QComboBox *size_;
    QComboBox *interval_;
};

// "淘宝设置"
class CSysSetTaobao : public SettingsPage {
    Q_OBJECT
public:
    CSysSetTaobao(AppState &state, const ConfigFile &config, QWidget *parent = nullptr);
    void apply(std::vector<std::string> &errors) override;

private:
    QCheckBox *infoSelf_;
    QCheckBox *browserOpen_;
    QButtonGroup *method_;
};

// "打印设置": the default printer from the system's printers, the scale, and
// the chosen printer's calibration offset with its calibration sheet.
class CSysSetPrint : public SettingsPage {
    Q_OBJECT
public:
    // Prints the calibration sheet on the named printer; false when it could
    // not be printed.
    using CalibrationPrinter = std::function<bool(const QString &printer)>;

    CSysSetPrint(AppState &state, const ConfigFile &config, const QStringList &printers,
                 CalibrationPrinter printCalibration, QWidget *parent = nullptr);
    void apply(std::vector<std::string> &errors) override;

    // The selected entry's text; empty when none is selected.
    QString chosenPrinter() const;

signals:
    void calibrationFailed(const QString &message);

private:
    void showOffsetOf(const QString &printer);

    QComboBox *printer_;
    QCheckBox *noDialog_;
    QCheckBox *pageSize_;
    QSlider *slider_;
    QLineEdit *scale_;
    QDoubleSpinBox *offsetX_;
    QDoubleSpinBox *offsetY_;
    QPushButton *calibrate_;
    CalibrationPrinter printCalibration_;
};

}
