#include "ui/users/CSysSetPages.h"

#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/users/SystemSettings.h"
#include "ui/common/Dialogs.h"
#include "ui/common/QtText.h"
#include "ui/templates/CColorPickerCB.h"
#include "ui/users/CSysAdminPwd.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace zentra::ui {

namespace {

QComboBox *entryBox(const char *list, const std::string &current, const char *name, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (const std::string &e : splitEntries(list))
        box->addItem(qs(e));
    box->setCurrentIndex(box->findText(qs(current)));
    return box;
}

QCheckBox *checkBox(const char *text, const char *name, bool on, QWidget *parent)
{
    auto *box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(on);
    return box;
}

// "r,g,b" -> colour; invalid for any other text.
QColor parseColor(const std::string &text)
{
    const QStringList parts = qs(text).split(QLatin1Char(','));
    if (parts.size() != 3)
        return {};
    int rgb[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        rgb[i] = parts[i].trimmed().toInt(&ok);
        if (!ok || rgb[i] < 0 || rgb[i] > 255)
            return {};
    }
    return QColor(rgb[0], rgb[1], rgb[2]);
}

QDoubleSpinBox *offsetBox(const char *name, QWidget *parent)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(1);
    box->setRange(-PrinterOffset::kLimit, PrinterOffset::kLimit);
    box->setSingleStep(0.1);
    box->setSuffix(QStringLiteral(" mm"));
    return box;
}

}

void SettingsPage::setModified(bool on)
{
    modified_ = on;
    if (on)
        emit changed();
}

CSysSetRoutine::CSysSetRoutine(AppState &state, const ConfigFile &config, std::string databasePath, Dialogs &dialogs,
                               QWidget *parent)
    : SettingsPage(state, config, parent), databasePath_(std::move(databasePath)), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("routinePage"));
    loginPass_ = checkBox("进入系统需要密码验证", "loginPass", routineSettings(state).loginPass, this);
    watch(loginPass_, &QCheckBox::toggled);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(loginPass_);
    layout->addStretch(1);
}

void CSysSetRoutine::apply(std::vector<std::string> &errors)
{
    if (loginPass_->isChecked() && !state_.loginPass && !ensureAdminPassword(databasePath_, dialogs_, this)) {
        loginPass_->setChecked(false);
        dialogs_.warn(this, QStringLiteral("管理员 admin 没有设置密码，进入系统的密码验证没有开启。"));
    }
    applyRoutine({loginPass_->isChecked()}, config_, state_, errors);
}

CSysSetTemplate::CSysSetTemplate(AppState &state, const ConfigFile &config, QWidget *parent)
    : SettingsPage(state, config, parent)
{
    setObjectName(QStringLiteral("templatePage"));
    const TemplateSettings s = templateSettings(state);
    font_ = new QComboBox(this);
    font_->setObjectName(QStringLiteral("fontName"));
    font_->addItems(QFontDatabase::families());
    font_->setCurrentIndex(font_->findText(qs(s.fontName)));
    style_ = entryBox(kFontStyles, s.fontStyle, "fontStyle", this);
    color_ = new CColorPickerCB(this);
    color_->setObjectName(QStringLiteral("fontColor"));
    const QColor current = parseColor(s.fontColor);
    color_->setCurrentIndex(current.isValid() ? color_->findColor(current) : -1);
    size_ = entryBox(kFontSizes, s.fontHeight, "fontHeight", this);
    interval_ = entryBox(kMoveIntervals, s.moveInterval, "moveInterval", this);
    for (QComboBox *box : {font_, style_, static_cast<QComboBox *>(color_), size_, interval_})
        watch(box, &QComboBox::currentIndexChanged);

    auto *labelGroup = new QGroupBox(QStringLiteral("新建标签的默认样式"), this);
    auto *labelForm = new QFormLayout(labelGroup);
    labelForm->addRow(QStringLiteral("字体"), font_);
    labelForm->addRow(QStringLiteral("样式"), style_);
    labelForm->addRow(QStringLiteral("颜色"), color_);
    labelForm->addRow(QStringLiteral("大小"), size_);
    auto *moveGroup = new QGroupBox(QStringLiteral("标签移动的默认间距"), this);
    auto *moveForm = new QFormLayout(moveGroup);
    moveForm->addRow(QStringLiteral("间距"), interval_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(labelGroup);
    layout->addWidget(moveGroup);
    layout->addStretch(1);
}

void CSysSetTemplate::apply(std::vector<std::string> &errors)
{
    TemplateSettings s;
    s.fontHeight = size_->currentText().toStdString();
    s.fontName = font_->currentText().toStdString();
    s.fontStyle = style_->currentText().toStdString();
    const QColor c = color_->currentColor();
    s.fontColor = c.isValid() ? QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue()).toStdString()
                              : templateSettings(state_).fontColor;
    s.moveInterval = interval_->currentText().toStdString();
    applyTemplate(s, config_, state_, errors);
}

CSysSetTaobao::CSysSetTaobao(AppState &state, const ConfigFile &config, QWidget *parent)
    : SettingsPage(state, config, parent), method_(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("taobaoPage"));
    const TaobaoSettings s = taobaoSettings(state);
    infoSelf_ = checkBox("淘宝订单的运费、商品总价、实收款由本系统计算", "tbInfoSelf", s.tbInfoSelf, this);
    browserOpen_ = checkBox("进入淘宝订单时自动打开浏览器窗口", "tbBrowserOpen", s.tbBrowserOpen, this);
    watch(infoSelf_, &QCheckBox::toggled);
    watch(browserOpen_, &QCheckBox::toggled);

    auto *group = new QGroupBox(QStringLiteral("淘宝收货地址识别方法"), this);
    auto *groupLayout = new QVBoxLayout(group);
    const char *const captions[] = {"方法一", "方法二", "方法三（智能识别）"};
    for (int i = 0; i < 3; ++i) {
        auto *radio = new QRadioButton(QString::fromUtf8(captions[i]), group);
        radio->setObjectName(QStringLiteral("method%1").arg(i + 1));
        method_->addButton(radio, i);
        groupLayout->addWidget(radio);
    }
    if (QAbstractButton *b = method_->button(s.tbRecognizeMethod))
        b->setChecked(true);
    watch(method_, &QButtonGroup::idToggled);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(infoSelf_);
    layout->addWidget(browserOpen_);
    layout->addWidget(group);
    layout->addStretch(1);
}

void CSysSetTaobao::apply(std::vector<std::string> &errors)
{
    const int method = method_->checkedId();
    applyTaobao({infoSelf_->isChecked(), browserOpen_->isChecked(), method < 0 ? 0 : method}, config_, state_, errors);
}

CSysSetPrint::CSysSetPrint(AppState &state, const ConfigFile &config, const QStringList &printers,
                           CalibrationPrinter printCalibration, QWidget *parent)
    : SettingsPage(state, config, parent), printCalibration_(std::move(printCalibration))
{
    setObjectName(QStringLiteral("printPage"));
    const PrintPageSettings s = printPageSettings(state, config);
    printer_ = new QComboBox(this);
    printer_->setObjectName(QStringLiteral("printerName"));
    printer_->setEditable(true);
    printer_->setInsertPolicy(QComboBox::NoInsert);
    printer_->addItems(printers);
    printer_->setCurrentIndex(printer_->findText(qs(s.printerName)));
    noDialog_ = checkBox("打印快递单时不弹出打印机选择界面", "noPrintreSel", s.noPrinterSelect, this);
    pageSize_ = checkBox("连续打印时根据模板大小自动设置打印纸张尺寸", "setPrintPageSize", s.setPrintPageSize, this);

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("scaleSlider"));
    slider_->setRange(1, 300);
    scale_ = new QLineEdit(this);
    scale_->setObjectName(QStringLiteral("scaleEdit"));
    scale_->setMaximumWidth(80);
    const double scale = std::strtod(s.printerScale.c_str(), nullptr);
    slider_->setValue(static_cast<int>(std::lround(scale * 100)));
    scale_->setText(qs(s.printerScale));
    connect(slider_, &QSlider::valueChanged, this,
            [this](int hundredths) { scale_->setText(qs(formatScaleEdit(hundredths / 100.0))); });
    // A typed factor moves the slider without rewriting what is being typed.
    connect(scale_, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QSignalBlocker quiet(slider_);
        slider_->setValue(static_cast<int>(std::lround(text.toDouble() * 100)));
    });

    offsetX_ = offsetBox("offsetX", this);
    offsetY_ = offsetBox("offsetY", this);
    offsetX_->setValue(s.offset.x);
    offsetY_->setValue(s.offset.y);
    calibrate_ = new QPushButton(QStringLiteral("打印校准页"), this);
    calibrate_->setObjectName(QStringLiteral("calibrationButton"));
    calibrate_->setAutoDefault(false);
    calibrate_->setEnabled(!chosenPrinter().isEmpty());
    connect(calibrate_, &QPushButton::clicked, this, [this] {
        const QString name = chosenPrinter();
        if (!name.isEmpty() && printCalibration_ && !printCalibration_(name))
            emit calibrationFailed(QStringLiteral("无法在打印机“%1”上打印校准页").arg(name));
    });
    // Another printer shows its own offset; a typed name that is no printer
    // has none.
    connect(printer_, &QComboBox::currentTextChanged, this, [this] {
        const QString name = chosenPrinter();
        calibrate_->setEnabled(!name.isEmpty());
        showOffsetOf(name);
    });

    watch(printer_, &QComboBox::currentTextChanged);
    watch(noDialog_, &QCheckBox::toggled);
    watch(pageSize_, &QCheckBox::toggled);
    watch(scale_, &QLineEdit::textChanged);
    watch(offsetX_, &QDoubleSpinBox::valueChanged);
    watch(offsetY_, &QDoubleSpinBox::valueChanged);

    auto *scaleRow = new QHBoxLayout;
    scaleRow->addWidget(slider_, 1);
    scaleRow->addWidget(scale_);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("默认打印机"), printer_);
    form->addRow(noDialog_);
    form->addRow(pageSize_);
    form->addRow(QStringLiteral("打印缩放比率"), scaleRow);

    auto *offsetGroup = new QGroupBox(QStringLiteral("打印偏移"), this);
    auto *offsetForm = new QFormLayout(offsetGroup);
    offsetForm->addRow(QStringLiteral("水平偏移"), offsetX_);
    offsetForm->addRow(QStringLiteral("垂直偏移"), offsetY_);
    offsetForm->addRow(calibrate_);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(offsetGroup);
    layout->addStretch(1);
}

QString CSysSetPrint::chosenPrinter() const
{
    const int index = printer_->findText(printer_->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    return index >= 0 ? printer_->itemText(index) : QString();
}

void CSysSetPrint::showOffsetOf(const QString &printer)
{
    const PrinterOffset o = readPrinterOffset(config_, printer.toStdString());
    offsetX_->setValue(o.x);
    offsetY_->setValue(o.y);
}

void CSysSetPrint::apply(std::vector<std::string> &errors)
{
    PrintPageSettings s;
    s.printerName = chosenPrinter().toStdString();
    s.noPrinterSelect = noDialog_->isChecked();
    s.setPrintPageSize = pageSize_->isChecked();
    s.printerScale = scale_->text().toStdString();
    s.offset = {offsetX_->value(), offsetY_->value()};
    applyPrint(s, config_, state_, errors);
    // The edit and the slider show what was stored.
    const QSignalBlocker quiet(slider_);
    slider_->setValue(static_cast<int>(std::lround(state_.printerScale * 100)));
    scale_->setText(qs(formatScaleEdit(state_.printerScale)));
}

}
