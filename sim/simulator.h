// The printer's event loop: the pty, the open and close watch, the control file, the replies.
#pragma once

#include "journal.h"
#include "pty_port.h"
#include "session.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tq350::sim {

class Simulator {
  public:
    // `control` may be empty (no control file).
    Simulator(std::string link, std::string control, Printer& printer, Session& session,
              Journal& journal);

    // Serves until `signal_fd` (a signalfd for SIGTERM and SIGINT) becomes readable. Returns the
    // process exit status.
    int run(int signal_fd);

  private:
    bool open_port();
    void close_port();
    void keep_port_as_wanted();
    void keep_lock_as_wanted();
    void read_watch_events();
    void read_master();
    void drain_master();
    void send_due();
    void reload_control();
    int poll_timeout_ms() const;

    std::string link_;
    std::string control_;
    std::string control_dir_;
    std::string control_name_;
    Printer& printer_;
    Session& session_;
    Journal& journal_;

    UniqueFd watch_;
    int port_watch_ = -1;
    int control_watch_ = -1;
    std::optional<PtyPort> port_;
    bool port_locked_ = false;
    std::vector<std::uint8_t> unsent_;
};

} // namespace tq350::sim
