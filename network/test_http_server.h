// Test support: a small HTTP server on 127.0.0.1 inside the test program,
// answering every request with the page the test sets, or never answering.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class TestHttpServer {
 public:
  // Listens on a free port of 127.0.0.1 (Port() is 0 when it could not).
  TestHttpServer();
  // Stops listening and closes every connection, stalled ones included.
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:<port>"
  std::string Base() const;

  // Answers every request with status and body (HTTP/1.0, then closes); a
  // "{peer}" in the body stands for the caller's address. With a path, only
  // that path is answered so and every other one gets 404.
  void Answer(int status, const std::string& body, const std::string& path = std::string());
  // Reads each request, sends `first` (raw bytes, possibly nothing) and then
  // nothing more until the server is destroyed.
  void Stall(const std::string& first = std::string());
  int Requests() const { return requests_; }

  // A port of 127.0.0.1 on which nothing listens.
  static int UnusedPort();

 private:
  static DWORD WINAPI ServeThread(void* self);
  void Serve();
  void Handle(SOCKET connection, const std::string& peer);

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  HANDLE thread_ = nullptr;
  std::atomic<int> stop_{0};
  std::atomic<int> requests_{0};
  mutable std::mutex lock_;
  int status_ = 200;
  std::string body_;
  std::string path_;
  bool stall_ = false;
  std::string stallFirst_;
  std::vector<SOCKET> stalled_;
};
