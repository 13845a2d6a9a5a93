// The updater's application object: initialises the common controls,
// sockets and control hosting, then runs the updater's window modally.
#pragma once
#include "framework/app.h"

class CUpdaterApp : public fw::Application {
 public:
  CUpdaterApp();
  bool InitInstance() override;
};
