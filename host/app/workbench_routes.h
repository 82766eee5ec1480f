// The workbench server's HTTP interface: the page's files, three.js when it
// is installed, and the JSON requests the page sends to the session.
#pragma once

#include <httplib.h>
#include <filesystem>

#include "host/app/workbench_session.h"

namespace qhost::app {

// Routes every documented request to session and serves the page from
// pageFolder; refuses request bodies beyond a small bound and Host headers
// that do not name the server (a page of another site reaching it through a
// name of its own).
void AddWorkbenchRoutes(httplib::Server& server, WorkbenchSession& session, const std::filesystem::path& pageFolder,
                        const std::string& host, int port);

// Whether the page folder holds three.js (the page then draws the rock in
// 3D; otherwise it shows the preview picture).
bool HasThreeJs(const std::filesystem::path& pageFolder);

} // namespace qhost::app
