// The command line of kelvane-simctl: show, set, reset and chip on the state
// of the simulated chip in a program directory.
#pragma once

#include <ostream>
#include <string>
#include <vector>

class CSimCtl {
 public:
  // Exit statuses: success, a failure to reach the state file, bad input
  // (unknown name, value out of range, unknown model, missing directory).
  static constexpr int kOk = 0;
  static constexpr int kFailed = 1;
  static constexpr int kBadInput = 2;

  // defaultDirectory: the directory used without --dir (the tool's own).
  CSimCtl(std::string defaultDirectory, std::ostream& out, std::ostream& err);

  int Run(const std::vector<std::string>& arguments);

 private:
  int Show(const std::string& directory);
  int Set(const std::string& directory, const std::vector<std::string>& assignments);
  int Reset(const std::string& directory);
  int Chip(const std::string& directory, const std::string& model);
  int Error(int status, const std::string& message);
  void Usage(std::ostream& stream) const;

  std::string m_defaultDirectory;
  std::ostream& m_out;
  std::ostream& m_err;
};
