#include "ui/recognition/CAddressRecoginize.h"

#include "core/config/ConfigFile.h"
#include "ui/common/AcceleratorFilter.h"
#include "ui/common/Dialogs.h"
#include "ui/common/QtText.h"

#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace zentra::ui {
namespace {

// The result boxes: label, object name, and where they sit in the grid: the
// label at (row, column), the box right of it over `span` grid columns.
struct Box {
    const char *label;
    const char *name;
    int row, column, span;
};
// In the order of RecognizedAddress::toList().
const Box kBoxes[9] = {
    {"姓名(*)", "name", 0, 0, 1},      {"手机(*)", "mobile", 0, 2, 1},    {"固话", "phone", 0, 4, 1},
    {"邮编", "post", 2, 0, 1},         {"省    份", "province", 1, 0, 1}, {"城市", "city", 1, 2, 1},
    {"区    镇", "district", 1, 4, 1}, {"地址(*)", "address", 3, 0, 5},   {"公    司", "company", 2, 2, 3},
};

}

const char *CAddressRecoginize::exampleText()
{
    return "张三，13800138000 ，029-88887777 ，陕西省 西安市 雁塔区 高新路3号附近 ，710065  西安移动营业厅";
}

CAddressRecoginize::CAddressRecoginize(const std::string &databasePath, const std::string &configPath, Dialogs &dialogs,
                                       QWidget *parent)
    : QDialog(parent), databasePath_(databasePath), configPath_(configPath), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("CAddressRecoginize"));
    setWindowTitle(QStringLiteral("收货信息识别"));

    regions_ = RegionIndex::fromDatabaseFile(databasePath_);

    auto *inputBox = new QGroupBox(QStringLiteral("待识别的内容:"), this);
    input_ = new QPlainTextEdit(inputBox);
    input_->setObjectName(QStringLiteral("input"));
    input_->setTabChangesFocus(true);
    input_->setMinimumHeight(90);
    auto *il = new QVBoxLayout(inputBox);
    il->addWidget(input_);

    QList<QKeySequence> keys;
    auto button = [this, &keys](const char *label, const char *name, const char *key,
                                void (CAddressRecoginize::*slot)()) {
        auto *b = new QPushButton(QString::fromUtf8(label), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        auto *sc = new QShortcut(QKeySequence(QString::fromLatin1(key)), this);
        connect(sc, &QShortcut::activated, b, &QPushButton::click);
        keys << QKeySequence(QString::fromLatin1(key));
        return b;
    };

    auto *methodLabel = new QLabel(QStringLiteral("识别方法"), this);
    method_ = new QComboBox(this);
    method_->setObjectName(QStringLiteral("method"));
    method_->addItems({QStringLiteral("标准识别"), QStringLiteral("智能识别")});
    method_->setCurrentIndex(static_cast<int>(configuredRecognizeMethod(ConfigFile(configPath_))));
    connect(method_, &QComboBox::currentIndexChanged, this, &CAddressRecoginize::methodChosen);
    methodLabel->setBuddy(method_);

    auto *actions = new QHBoxLayout;
    actions->addWidget(methodLabel);
    actions->addWidget(method_);
    actions->addStretch(1);
    actions->addWidget(
        button("识别剪切板内容(B)", "clipboardButton", "Ctrl+B", &CAddressRecoginize::recognizeClipboard));
    actions->addWidget(button("识别以上内容(U)", "recognizeButton", "Ctrl+U", &CAddressRecoginize::recognizeInput));
    actions->addWidget(button("查看示例(E)", "exampleButton", "Ctrl+E", &CAddressRecoginize::showExample));

    auto *resultBox = new QGroupBox(QStringLiteral("识别后的内容:"), this);
    auto *grid = new QGridLayout(resultBox);
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        const Box &b = kBoxes[i];
        auto *edit = new QLineEdit(resultBox);
        edit->setObjectName(QString::fromLatin1(b.name));
        auto *label = new QLabel(QString::fromUtf8(b.label), resultBox);
        label->setBuddy(edit);
        grid->addWidget(label, b.row, b.column);
        grid->addWidget(edit, b.row, b.column + 1, 1, b.span);
        boxes_[i] = edit;
    }
    for (int column : {1, 3, 5})
        grid->setColumnStretch(column, 1);
    // Tab goes through the boxes as they are laid out, row by row.
    const std::size_t visual[9] = {0, 1, 2, 4, 5, 6, 3, 8, 7};
    for (std::size_t i = 1; i < 9; ++i)
        QWidget::setTabOrder(boxes_[visual[i - 1]], boxes_[visual[i]]);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(button("保存为收件人(R)", "saveReceiverButton", "Ctrl+R", &CAddressRecoginize::saveAsReceiver));
    bottom->addWidget(button("保存为发件人(D)", "saveSenderButton", "Ctrl+D", &CAddressRecoginize::saveAsSender));
    bottom->addWidget(button("关闭(Q)", "closeButton", "Ctrl+Q", &QDialog::reject));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(inputBox, 1);
    layout->addLayout(actions);
    layout->addWidget(resultBox);
    layout->addLayout(bottom);
    resize(640, 400);

    // The dialog's keys win over the text boxes, which would otherwise keep
    // some of them for editing (Ctrl+U, Ctrl+E and Ctrl+B are editing keys in
    // several key schemes).
    AcceleratorFilter::install(this, keys);

    recognizeClipboard();
}

RecognizedAddress CAddressRecoginize::fields() const
{
    std::array<std::string, 9> v;
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = boxes_[i]->text().toStdString();
    return {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]};
}

void CAddressRecoginize::recognize(const QString &text)
{
    const std::string utf8 = text.toStdString();
    const auto method = static_cast<RecognizeMethod>(method_->currentIndex());
    const RecognizedAddress r = regions_ ? recognizeAddress(utf8, method, *regions_) : recognizeAddress(utf8, method);
    const std::array<std::string, 9> values = r.toList();
    for (std::size_t i = 0; i < values.size(); ++i)
        boxes_[i]->setText(qs(values[i]));
}

void CAddressRecoginize::recognizeClipboard()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    input_->setPlainText(text);
    recognize(text);
}

void CAddressRecoginize::recognizeInput()
{
    const QString text = input_->toPlainText();
    if (text.trimmed().isEmpty()) {
        dialogs_.warn(this, QStringLiteral("请输入需要识别的内容"));
        return;
    }
    recognize(text);
}

void CAddressRecoginize::showExample()
{
    input_->setPlainText(QString::fromUtf8(exampleText()));
    recognize(input_->toPlainText());
}

void CAddressRecoginize::save(RecognizedBook book)
{
    const BookResult r = saveRecognized(databasePath_, book, fields());
    if (r.ok())
        dialogs_.inform(this, qs(r.message));
    else if (r.status == BookResult::Status::Refused)
        dialogs_.warn(this, qs(r.message));
    else
        dialogs_.message(this, QString(), qs(r.message), Dialogs::Buttons::Ok, Dialogs::Icon::Error);
}

void CAddressRecoginize::methodChosen(int index)
{
    std::string error;
    if (!storeRecognizeMethod(ConfigFile(configPath_), static_cast<RecognizeMethod>(index), &error))
        dialogs_.message(this, QString(), qs(error), Dialogs::Buttons::Ok, Dialogs::Icon::Error);
}

void CAddressRecoginize::keyPressEvent(QKeyEvent *event)
{
    // Enter neither closes the dialog nor presses a button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}
