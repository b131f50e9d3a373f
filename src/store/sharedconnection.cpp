#include "store/sharedconnection.h"

#include "store/connection.h"
#include "store/storelocation.h"

namespace cw {

Connection& sharedConnection() {
    static Connection connection;
    return connection;
}

namespace {
void reopen(int busyWaitMs) {
    Connection& connection = sharedConnection();
    if (connection.State() != 0)
        connection.Close();
    connection.open(connectionString(), busyWaitMs);
}
} // namespace

void openSharedConnection() {
    reopen(Connection::busyTimeoutMs);
}

void openSharedConnectionWithoutWaiting() {
    reopen(0);
}

} // namespace cw
