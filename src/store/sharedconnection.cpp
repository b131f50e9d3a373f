#include "store/sharedconnection.h"

#include "store/connection.h"
#include "store/storelocation.h"

namespace cw {

Connection& sharedConnection() {
    static Connection connection;
    return connection;
}

void openSharedConnection() {
    Connection& connection = sharedConnection();
    if (connection.State() != 0)
        connection.Close();
    connection.open(connectionString());
}

void openSharedConnectionWithoutWaiting() {
    Connection& connection = sharedConnection();
    if (connection.State() != 0)
        connection.Close();
    connection.open(connectionString(), 0);
}

} // namespace cw
