#include "places_session.h"

#include "errors.h"

namespace marksafe_cli {

PlacesSession::PlacesSession(const Location& location, const std::string& step)
    : handle_(init_bookmark(location.arg())) {
  if (handle_ == nullptr) {
    Fail(step, "init_bookmark found no places database (last error " +
                   std::to_string(marksafe_last_error()) + ")");
  }
}

PlacesSession::~PlacesSession() { release_bookmark(handle_); }

}  // namespace marksafe_cli
