#include "core/recognition/RecognizedEntry.h"

#include "core/config/ConfigFile.h"

namespace zentra {
namespace {

std::string trimmed(const std::string &s)
{
    const char *space = " \t\r\n\v\f";
    std::size_t b = s.find_first_not_of(space);
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(space) - b + 1);
}

}

BookEntry recognizedEntry(RecognizedBook book, const RecognizedAddress &f)
{
    const std::string p = book == RecognizedBook::Receiver ? "r" : "s";
    return {{p + "name", trimmed(f.name)},       {p + "mobile", trimmed(f.mobile)},
            {p + "phone", trimmed(f.phone)},     {p + "province", trimmed(f.province)},
            {p + "city", trimmed(f.city)},       {p + "district", trimmed(f.district)},
            {p + "address", trimmed(f.address)}, {p + "post", trimmed(f.post)},
            {p + "company", trimmed(f.company)}, {p + "class", kRecognizedClass}};
}

BookResult saveRecognized(const std::string &databasePath, RecognizedBook book, const RecognizedAddress &fields)
{
    const bool receiver = book == RecognizedBook::Receiver;
    const BookEntry entry = recognizedEntry(book, fields);
    const std::string p = receiver ? "r" : "s";
    const std::pair<const char *, const char *> required[] = {
        {"name", "请输入姓名!"}, {"mobile", "请输入手机号码!"}, {"address", "请输入地址!"}};
    for (const auto &[column, message] : required)
        if (entry.at(p + column).empty())
            return BookResult::refused(message);

    // An upsert keeps the columns the recognition knows nothing of (notes,
    // chat names, free fields) and the time of entry of a known person.
    MasterBook::Upsert u = MasterBook(databasePath, receiver ? receiverBook() : senderBook()).upsertMany({entry});
    if (!u.result.ok())
        return u.result;
    BookResult r = u.result;
    r.inserted = u.inserted > 0;
    r.message = std::string(r.inserted ? "该用户已保存至" : "该用户已更新至") + (receiver ? "收件人" : "发件人");
    return r;
}

RecognizeMethod configuredRecognizeMethod(const ConfigFile &config)
{
    return config.readInt("System", "recognizeMethod", 1) == 0 ? RecognizeMethod::Standard : RecognizeMethod::Smart;
}

bool storeRecognizeMethod(const ConfigFile &config, RecognizeMethod method, std::string *error)
{
    return config.writeText("System", "recognizeMethod", method == RecognizeMethod::Standard ? "0" : "1", error);
}

}
