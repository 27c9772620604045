// A places handle for the length of one step: init_bookmark when made,
// release_bookmark when gone.
#ifndef MARKSAFE_TOOLS_MARKSAFE_PLACES_SESSION_H_
#define MARKSAFE_TOOLS_MARKSAFE_PLACES_SESSION_H_

#include <string>

#include "browsers.h"
#include "marksafe/marksafe.h"

namespace marksafe_cli {

class PlacesSession {
 public:
  // Fails (exit 1) when the library finds no places database.
  PlacesSession(const Location& location, const std::string& step);
  ~PlacesSession();
  PlacesSession(const PlacesSession&) = delete;
  PlacesSession& operator=(const PlacesSession&) = delete;

  ms_places_handle handle() const { return handle_; }

 private:
  ms_places_handle handle_ = nullptr;
};

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_PLACES_SESSION_H_
