// Root of the framework's classes that carry runtime class information, and
// the exception base whose report the dialog procedure shows.
#pragma once
#include <string>

namespace fw {

class Object {
 public:
  virtual ~Object() = default;
  // Runtime class name ("CThread", "COptimizeThread", ...).
  virtual const char* ClassName() const { return "Object"; }
};

// Exceptions of the framework. The dialog procedure and the application catch
// them so none crosses into the system; ReportError shows the report.
class Exception : public Object {
 public:
  ~Exception() override = default;
  const char* ClassName() const override { return "Exception"; }
  // The text of the report; empty when there is nothing to say.
  virtual std::string ErrorText() const { return std::string(); }
  // Shows the report in a framework message box.
  virtual void ReportError() const;
};

}  // namespace fw
