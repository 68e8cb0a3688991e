#pragma once

#include "core/masterdata/MasterBook.h"
#include "core/recognition/Recognition.h"

#include <string>

namespace zentra {

class ConfigFile;

// The class that recognised people are filed under in the address books.
inline constexpr const char *kRecognizedClass = "地址识别";

enum class RecognizedBook { Receiver, Sender };

// The entry of the receiver or sender book that a recognised (and perhaps
// corrected) text becomes: the nine fields in their columns and the class
// "地址识别". Surrounding whitespace is dropped, so that a stray space never
// makes a second identity.
BookEntry recognizedEntry(RecognizedBook book, const RecognizedAddress &fields);

// Files a recognised person in the book. Name, mobile and address are
// required, checked in that order ("请输入姓名!", "请输入手机号码!",
// "请输入地址!": refused, nothing written). A new identity (mobile and
// address) is inserted with the time of entry now; a known one has its nine
// fields, its class and its initials rewritten and keeps the rest (notes,
// free fields, time of entry). On success `message` says which of the two
// happened ("该用户已保存至收件人" / "该用户已更新至收件人", the same for
// 发件人); on failure it carries the engine's message.
BookResult saveRecognized(const std::string &databasePath, RecognizedBook book, const RecognizedAddress &fields);

// The method of System/recognizeMethod in config.ini: 0 is the standard
// method; a missing key or any other value is the smart one.
RecognizeMethod configuredRecognizeMethod(const ConfigFile &config);
bool storeRecognizeMethod(const ConfigFile &config, RecognizeMethod method, std::string *error = nullptr);

}
