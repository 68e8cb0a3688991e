#include "core/taobao/OrderPage.h"

#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"

#include <json/json.h>

#include <memory>

namespace zentra {
namespace {

// The text between `from` and `to` (to the end without `to`); empty when
// `from` is not there.
std::string between(std::string_view text, std::string_view from, std::string_view to)
{
    const std::size_t start = text.find(from);
    if (start == std::string_view::npos)
        return {};
    const std::size_t begin = start + from.size();
    const std::size_t end = to.empty() ? std::string_view::npos : text.find(to, begin);
    return std::string(text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
}

std::string trimmed(std::string_view s)
{
    const std::size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos)
        return {};
    const std::size_t e = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(b, e - b + 1));
}

bool parseJson(std::string_view text, Json::Value &out)
{
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    return reader->parse(text.data(), text.data() + text.size(), &out, &errors);
}

std::string member(const Json::Value &object, const char *name)
{
    const Json::Value &v = object[name];
    return v.isString() ? v.asString() : v.isNumeric() ? v.asString() : std::string();
}

// The value of the attribute data-url in an element's HTML, in either kind of
// quotes, with the entities a serialiser writes for "&" undone.
std::string dataUrl(std::string_view html)
{
    const std::size_t at = html.find("data-url=");
    if (at == std::string_view::npos)
        return {};
    std::size_t i = at + 9;
    if (i >= html.size())
        return {};
    const char quote = html[i];
    std::string value;
    if (quote == '"' || quote == '\'') {
        const std::size_t end = html.find(quote, i + 1);
        value = std::string(html.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1));
    } else {
        const std::size_t end = html.find_first_of(" >", i);
        value = std::string(html.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i));
    }
    std::string out;
    for (std::size_t k = 0; k < value.size(); ++k) {
        if (value.compare(k, 5, "&amp;") == 0) {
            out += '&';
            k += 4;
        } else {
            out += value[k];
        }
    }
    return out;
}

}

OrderPageSettings OrderPageSettings::read(const ConfigFile &config)
{
    OrderPageSettings s;
    if (!fileExists(config.path()))
        return s;
    auto take = [&config](const char *key, std::string &value) {
        const std::string text = config.readText("Taobao", key);
        if (!text.empty())
            value = text;
    };
    take("loginPage", s.loginPage);
    take("addressHost", s.addressHost);
    take("addressPath", s.addressPath);
    // Markers separated by "|": every one must be in a detail page's address.
    std::string markers;
    take("detailMarkers", markers);
    if (!markers.empty()) {
        s.detailMarkers.clear();
        std::size_t start = 0;
        while (start <= markers.size()) {
            const std::size_t bar = markers.find('|', start);
            const std::string m = markers.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
            if (!m.empty())
                s.detailMarkers.push_back(m);
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
    }
    return s;
}

OrderPageKind classifyOrderPage(std::string_view location, const OrderPageSettings &settings)
{
    bool detail = !settings.detailMarkers.empty();
    for (const std::string &m : settings.detailMarkers)
        detail = detail && location.find(m) != std::string_view::npos;
    if (detail)
        return OrderPageKind::Detail;
    if (location.find(settings.addressHost + settings.addressPath) != std::string_view::npos)
        return OrderPageKind::AddressReply;
    return OrderPageKind::Other;
}

bool parseOrderPageTexts(std::string_view json, OrderPageTexts &out)
{
    Json::Value v;
    if (!parseJson(json, v) || !v.isObject())
        return false;
    out = {};
    out.status = member(v, "wait");
    out.nickName = member(v, "nickname");
    out.city = member(v, "city");
    out.orderNum = member(v, "orderNum");
    out.tradeTime = member(v, "tradeTime");
    out.orderPrice = member(v, "orderPrice");
    out.getMoney = member(v, "getMoney");
    out.addressBlock = member(v, "addressBlock");
    const Json::Value &items = v["items"];
    if (items.isArray())
        for (const Json::Value &i : items)
            if (i.isObject())
                out.items.push_back({member(i, "item"), member(i, "sku"), member(i, "price"), member(i, "num")});
    return true;
}

PageOrder orderFromPage(const OrderPageTexts &page)
{
    PageOrder p;
    TbOrder &o = p.order;
    o.status = trimmed(page.status);
    o.nickName = trimmed(page.nickName);
    o.proCity = trimmed(page.city);
    o.orderNum = trimmed(page.orderNum);
    o.tradeTime = normalTradeTime(trimmed(page.tradeTime));
    // "12.00(快递 : 5.00 )": the goods amount, then the postage.
    o.postFee = trimmed(between(page.orderPrice, "快递 : ", " )"));
    o.orderPrice = trimmed(page.orderPrice.substr(0, page.orderPrice.find('(')));
    o.getMoney = trimmed(between(page.getMoney, "实收款：", "元"));
    for (const auto &i : page.items)
        p.items.push_back({o.orderNum, trimmed(i.title), trimmed(i.sku), trimmed(i.price), trimmed(i.num)});
    p.addressUrl = dataUrl(page.addressBlock);
    return p;
}

AddressReply parseAddressReply(std::string_view text)
{
    AddressReply r;
    std::string body = trimmed(text);
    if (body.size() >= 2 && body.front() == '(' && body.back() == ')')
        body = body.substr(1, body.size() - 2);
    Json::Value v;
    if (body.empty() || body.find("系统繁忙") != std::string::npos || !parseJson(body, v) || !v.isObject())
        return r;
    const Json::Value &a = v["address"];
    if (!a.isObject())
        return r;
    r.composite = compositeAddress(member(a, "name"), member(a, "mobilephone"), member(a, "phone"), member(a, "addr"),
                                   member(a, "post"));
    r.busy = member(a, "name").empty() && member(a, "addr").empty();
    return r;
}

const char *orderPageScript()
{
    return R"js((function () {
  function text(e) { return e ? (e.innerText || '').trim() : ''; }
  var out = {items: []};
  var spans = document.getElementsByTagName('span');
  var byClass = {'wait': 'wait', 'nickname': 'nickname', 'city': 'city', 'order-num': 'orderNum',
                 'trade-time': 'tradeTime'};
  for (var i = 0; i < spans.length; ++i) {
    var key = byClass[spans[i].className];
    if (key) out[key] = text(spans[i]);
  }
  var rows = document.getElementsByTagName('tr');
  for (var r = 0; r < rows.length; ++r) {
    var row = rows[r];
    if (row.className === 'order-item') {
      var item = {};
      var cells = row.getElementsByTagName('td');
      for (var c = 0; c < cells.length; ++c) {
        var name = cells[c].className;
        if (name === 'item' || name === 'sku' || name === 'price' || name === 'num') item[name] = text(cells[c]);
        if (name === 'order-price') out.orderPrice = text(cells[c]);
      }
      out.items.push(item);
    } else if (row.className === 'order-ft') {
      var ft = row.getElementsByTagName('td');
      for (var k = 0; k < ft.length; ++k)
        if (ft[k].className === 'get-money') out.getMoney = text(ft[k]);
    }
  }
  var block = document.getElementById('J_BlockBuyerAddress');
  out.addressBlock = block ? block.outerHTML : '';
  return JSON.stringify(out);
})())js";
}

}
