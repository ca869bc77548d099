#include "cli/StoresCommand.h"

#include <algorithm>

#include "cli/DisplayWidth.h"
#include "cli/ExitCode.h"
#include "cli/JsonWriter.h"
#include "cli/Translate.h"

namespace tessel::cli {
namespace {

JsonValue ToJson(const StoreListing& listing) {
    JsonValue item = JsonValue::Object();
    item.Add("store", JsonValue::String(listing.store));
    item.Add("kind", JsonValue::String(listing.kind));
    item.Add("name", JsonValue::String(listing.name));
    item.Add("path", JsonValue::String(listing.path));
    item.Add("default", JsonValue::Bool(listing.isDefault));
    item.Add("inUse", JsonValue::Bool(listing.inUse));
    item.Add("writable", JsonValue::Bool(listing.writable));
    item.Add("reason", JsonValue::String(listing.reason));
    return item;
}

std::string State(const StoreListing& listing) {
    return listing.writable ? Tr("writable") : Fill(Tr("not writable: %s"), {listing.reason});
}

}  // namespace

int RunStores(const Invocation& invocation, const std::vector<StoreListing>& stores,
              std::ostream& out) {
    if (invocation.json) {
        JsonValue list = JsonValue::Array();
        for (const StoreListing& listing : stores)
            list.Push(ToJson(listing));
        out << WriteJson(list) << '\n';
        return kExitOk;
    }
    std::size_t width = 0;
    for (const StoreListing& listing : stores)
        width = std::max(width, DisplayWidth(listing.store));
    for (const StoreListing& listing : stores) {
        out << (listing.inUse ? "* " : "  ") << PadToWidth(listing.store, width) << "  "
            << State(listing) << '\n';
    }
    return kExitOk;
}

}  // namespace tessel::cli
