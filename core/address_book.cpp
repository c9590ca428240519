#include "core/address_book.h"

namespace {

const char* const kAddressValues[kAddressBookRows] = {"z_ip1", "z_ip2", "z_ip3", "z_ip4", "z_ip5"};
const char* const kPortValues[kAddressBookRows] = {"z_port1", "z_port2", "z_port3", "z_port4", "z_port5"};

bool IsRow(int row) { return row >= 1 && row <= kAddressBookRows; }

}  // namespace

const char* AddressValueOf(int row) { return IsRow(row) ? kAddressValues[row - 1] : nullptr; }

const char* PortValueOf(int row) { return IsRow(row) ? kPortValues[row - 1] : nullptr; }

LaunchPlan JoinSavedServer(const SettingsStore& store, GameFamily family, const std::string& address,
                           const std::string& port) {
    LaunchPlan plan = PlanJoin(ClientTargetOf(family), address, port);
    if (!plan.message) {
        store.Write(family, kHostAddressValue, address);
        store.Write(family, kJoinPortValue, port);
    }
    return plan;
}
