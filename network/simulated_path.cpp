#include "network/simulated_path.h"

namespace {

class PathSender : public EchoSender {
 public:
  explicit PathSender(SimulatedPath& path) : path_(path) {}
  bool Echo(const std::string& host, EchoReply& reply, uint8_t ttl, uint32_t timeoutMs,
            uint16_t payload, uint8_t typeOfService, bool dontFragment) override {
    return path_.Echo(host, reply, ttl, timeoutMs, payload, typeOfService, dontFragment);
  }

 private:
  SimulatedPath& path_;
};

}  // namespace

std::unique_ptr<EchoSender> SimulatedPath::NewSender() { return std::make_unique<PathSender>(*this); }

bool SimulatedPath::Echo(const std::string& host, EchoReply& reply, uint8_t ttl,
                         uint32_t timeoutMs, uint16_t payload, uint8_t typeOfService,
                         bool dontFragment) {
  int number;
  {
    std::lock_guard<std::mutex> guard(lock_);
    log_.push_back(Sent{host, payload, dontFragment, ttl, timeoutMs, typeOfService});
    number = static_cast<int>(log_.size());
  }
  if (beforeEcho) beforeEcho(number);
  if (!answers) return false;
  reply = EchoReply();
  reply.address = 0x0100007F;
  reply.roundTripMs = 1;
  if (errorStatus != 0)
    reply.status = errorStatus;
  else if (dontFragment && payload + 28 > mtu)
    reply.status = kTooBig;
  return true;
}

std::vector<SimulatedPath::Sent> SimulatedPath::Log() const {
  std::lock_guard<std::mutex> guard(lock_);
  return log_;
}

size_t SimulatedPath::Count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return log_.size();
}
