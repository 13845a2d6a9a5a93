// Test support: the internet optimizer echoing over a simulated path.
#pragma once
#include "network/internet_dlg.h"
#include "network/simulated_path.h"

class SimulatedInternetDlg : public CInternetDlg {
 public:
  explicit SimulatedInternetDlg(SimulatedPath& path) : path_(path) {}

 protected:
  std::unique_ptr<EchoSender> OpenEchoSender() override { return path_.NewSender(); }

 private:
  SimulatedPath& path_;
};
