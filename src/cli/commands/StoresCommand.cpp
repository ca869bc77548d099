#include <algorithm>
#include <vector>

#include "cli/Diagnostic.h"
#include "cli/commands/CommandTable.h"
#include "cli/json/JsonOutput.h"
#include "cli/terminal/DisplayWidth.h"

namespace tessel::cli {
namespace {

Json ToJson(const StoreListing& listing) {
    return {
        {"store", listing.store},       {"kind", listing.kind},         {"name", listing.name},
        {"path", listing.path},         {"default", listing.isDefault}, {"inUse", listing.inUse},
        {"chosenBy", listing.chosenBy}, {"writable", listing.writable}, {"reason", listing.reason}};
}

std::string State(const StoreListing& listing) {
    return listing.writable ? Tr("writable") : Fill(Tr("not writable: %s"), {listing.reason});
}

}  // namespace

int RunStores(const Invocation& invocation, PlatformContext& context) {
    if (!context.findStores)
        return NotAvailable(invocation, context.err);
    const std::vector<StoreListing> stores = context.findStores();
    std::ostream& out = context.out;
    if (invocation.json) {
        JsonListWriter list(out, '[', ']');
        for (const StoreListing& listing : stores)
            list.Item(ToJson(listing));
        list.Close();
        out << '\n';
        return kExitOk;
    }
    std::size_t width = 0;
    for (const StoreListing& listing : stores)
        width = std::max(width, DisplayWidth(listing.store));
    for (const StoreListing& listing : stores) {
        out << (listing.inUse ? "* " : "  ") << PadToWidth(listing.store, width) << "  "
            << State(listing);
        if (listing.inUse)
            out << Fill(Tr(" (in use: %s)"), {Tr(listing.chosenBy.c_str())});
        out << '\n';
    }
    return kExitOk;
}

}  // namespace tessel::cli
