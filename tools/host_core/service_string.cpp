// StringService: strings the module makes, reads and releases.
#include "tools/host_core/services.h"
#include "tools/host_core/slot.h"

namespace velmora::hostcore {

using namespace slot;

namespace {

constexpr Service kTable = Service::kString;

// A new string from count units of text (UTF-8 or UTF-16) into *out.
template <typename Char, typename Convert>
HostInt FromText(const char* name, HostString* out, const Char* chars, HostInt count,
                 Convert convert) {
    return Run(kTable, name, Num(count), [&](HostCore& h) {
        if (AnswerNull(h, out)) return kOk;
        if (count < 0 || (count > 0 && chars == nullptr)) {
            *out = nullptr;
            return Refuse(h, std::string(name) + ": bad text");
        }
        *out = h.NewString(convert(std::basic_string_view<Char>(chars, size_t(count))));
        return kOk;
    }, out);
}

}  // namespace

StringService StringSlots() {
    StringService t{};
    t.fromNarrow = [](HostString* out, const char* chars, HostInt byteCount) {
        return FromText("fromNarrow", out, chars, byteCount, Utf8ToUtf16);
    };
    t.fromUtf16 = [](HostString* out, const HostChar16* chars, HostInt count) {
        return FromText("fromUtf16", out, chars, count,
                        [](std::u16string_view text) { return std::u16string(text); });
    };
    t.fromTable = [](HostString* out, HostInt id, HostObject host) {
        return Run(kTable, "fromTable", Num(id), [&](HostCore& h) {
            if (AnswerNull(h, out)) return kOk;
            h.CheckHostObject(host, "fromTable");
            const std::u16string* text = h.stringTable().Find(id, h.options().language);
            if (text == nullptr) {
                if (!h.stringTable().empty()) h.Fault("fromTable: no string " + Num(id));
                *out = nullptr;
                return kFailed;
            }
            *out = h.NewString(*text);
            return kOk;
        }, out);
    };
    t.release = [](HostString s) {
        return Run(kTable, "release", {}, [&](HostCore& h) {
            if (!h.ReleaseString(s)) return Refuse(h, "string release: unknown or released string");
            return kOk;
        });
    };
    t.utf16Text = [](const HostChar16** out, HostString s) {
        return Run(kTable, "utf16Text", {}, [&](HostCore& h) {
            if (AnswerNull(h, out)) return kOk;
            const auto it = h.strings.find(s);
            if (it == h.strings.end()) {
                *out = nullptr;
                return Refuse(h, "utf16Text: unknown string");
            }
            *out = it->second->text.c_str();
            return kOk;
        }, out);
    };
    return t;
}

}  // namespace velmora::hostcore
