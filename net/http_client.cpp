#include "net/http_client.h"

#include "app/platform.h"

void THttpClient::Get(const std::string&) {
    platform_.processEvents();
    throw ESockError("Connection Failed");
}
