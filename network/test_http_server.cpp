#include "network/test_http_server.h"

#include <cstdio>

namespace {

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

// Reads until the blank line that ends the request's headers (or 2 s pass).
std::string ReadRequest(SOCKET s) {
  std::string request;
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval wait = {2, 0};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0) break;
    char buffer[1024];
    int got = recv(s, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    request.append(buffer, got);
  }
  return request;
}

// The path of a request line ("GET /path HTTP/1.1"), without a query.
std::string RequestPath(const std::string& request) {
  const std::string::size_type start = request.find(' ');
  if (start == std::string::npos) return std::string();
  const std::string::size_type end = request.find_first_of(" ?\r\n", start + 1);
  return request.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

void SendAll(SOCKET s, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    int n = send(s, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (n <= 0) return;
    sent += n;
  }
}

}  // namespace

TestHttpServer::TestHttpServer() {
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == INVALID_SOCKET) return;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  address.sin_port = 0;
  int length = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 8) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    closesocket(listener_);
    listener_ = INVALID_SOCKET;
    return;
  }
  port_ = ntohs(address.sin_port);
  thread_ = CreateThread(nullptr, 0, &TestHttpServer::ServeThread, this, 0, nullptr);
}

TestHttpServer::~TestHttpServer() {
  stop_ = 1;
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  for (SOCKET s : stalled_) closesocket(s);
}

std::string TestHttpServer::Base() const { return "http://127.0.0.1:" + std::to_string(port_); }

void TestHttpServer::Answer(int status, const std::string& body, const std::string& path) {
  std::lock_guard<std::mutex> guard(lock_);
  status_ = status;
  body_ = body;
  path_ = path;
  stall_ = false;
}

void TestHttpServer::Stall(const std::string& first) {
  std::lock_guard<std::mutex> guard(lock_);
  stall_ = true;
  stallFirst_ = first;
}

int TestHttpServer::UnusedPort() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  int length = sizeof address;
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(s);  // bound, never listened on: connections are refused
  return ntohs(address.sin_port);
}

DWORD WINAPI TestHttpServer::ServeThread(void* self) {
  static_cast<TestHttpServer*>(self)->Serve();
  return 0;
}

void TestHttpServer::Serve() {
  while (!stop_) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    timeval wait = {0, 100000};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
    sockaddr_in peer = {};
    int length = sizeof peer;
    SOCKET connection = accept(listener_, reinterpret_cast<sockaddr*>(&peer), &length);
    if (connection == INVALID_SOCKET) continue;
    Handle(connection, inet_ntoa(peer.sin_addr));
  }
}

void TestHttpServer::Handle(SOCKET connection, const std::string& peer) {
  const std::string path = RequestPath(ReadRequest(connection));
  ++requests_;
  std::string body;
  int status;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (stall_) {
      SendAll(connection, stallFirst_);
      stalled_.push_back(connection);
      return;
    }
    body = body_;
    status = status_;
    if (!path_.empty() && path != path_) {
      status = 404;
      body = "Not Found";
    }
  }
  for (std::string::size_type at; (at = body.find("{peer}")) != std::string::npos;)
    body.replace(at, 6, peer);
  char head[256];
  std::snprintf(head, sizeof head,
                "HTTP/1.0 %d %s\r\nContent-Type: text/html\r\nContent-Length: %u\r\n"
                "Connection: close\r\n\r\n",
                status, Reason(status), static_cast<unsigned>(body.size()));
  SendAll(connection, head + body);
  shutdown(connection, SD_SEND);
  closesocket(connection);
}
