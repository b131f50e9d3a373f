#pragma once
// The one connection of a run to the live store.
namespace cw {

class Connection;

Connection& sharedConnection();
// Closes it when open, then opens it on the live store file.
void openSharedConnection();
// The same, failing at once when another program holds the store's lock.
void openSharedConnectionWithoutWaiting();

} // namespace cw
