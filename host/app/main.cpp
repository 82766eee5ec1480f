// quorvane: a command-line host that loads the plug-in modules and makes rock
// meshes, textures and pictures with them.
#include <CLI/CLI.hpp>
#include <iostream>

#include "host/app/app_context.h"
#include "host/app/asset_command.h"
#include "host/app/batch_command.h"
#include "host/app/describe_command.h"
#include "host/app/inspect_command.h"
#include "host/app/noise_gallery_command.h"
#include "host/app/plugins_command.h"
#include "host/app/presets_command.h"
#include "host/app/progress.h"
#include "host/app/rock_command.h"
#include "host/app/serve_command.h"
#include "host/app/texture_command.h"
#include "quorvane_version.h"
#include "host/io/atomic_file.h"

int main(int argc, char** argv)
{
  qhost::RemoveTemporariesOnSignal();
  qhost::app::RememberCommandLine(argc, argv);
  CLI::App app{"quorvane: procedural rocks from the command line"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "quorvane " QUORVANE_VERSION_STRING);
  std::string pluginsOption;
  app.add_option("--plugins", pluginsOption, "Plug-ins folder (default: ../plugins beside the executable)");
  // Runs before any command loads a module, so every module sees the chosen version.
  app.add_option_function<Int32>(
         "--host-api-version", [](Int32 version) { qhost::Host::Instance().SetApiVersion(version); },
         "Host API version reported to the modules (default " + std::to_string(qhost::kHostApiVersion) + ")")
      ->check(CLI::PositiveNumber);
  bool verbose = false;
  std::string consoleFile;
  bool progress = false;
  app.add_flag("-v,--verbose", verbose, "Print the console lines of the host and the modules on stderr");
  app.add_option("--console", consoleFile, "Write the console lines of the host and the modules to this file");
  app.add_flag("--progress", progress, "Report every step on stderr, also when stderr is not a terminal");
  // Runs after the options are read and before the command does any work.
  app.parse_complete_callback([&] {
    qhost::app::RouteConsole(verbose, consoleFile);
    qhost::app::ShowProgressAlways(progress);
  });
  qhost::app::AddPluginsCommand(app, argv[0], pluginsOption);
  qhost::app::AddDescribeCommand(app, argv[0], pluginsOption);
  qhost::app::AddRockCommand(app, argv[0], pluginsOption);
  qhost::app::AddPresetsCommand(app, argv[0], pluginsOption);
  qhost::app::AddBatchCommand(app, argv[0], pluginsOption);
  qhost::app::AddTextureCommand(app, argv[0], pluginsOption);
  qhost::app::AddAssetCommand(app, argv[0], pluginsOption);
  qhost::app::AddServeCommand(app, argv[0], pluginsOption);
  qhost::app::AddNoiseGalleryCommand(app);
  qhost::app::AddInspectCommand(app);
  try
  {
    app.parse(argc, argv);
  }
  catch (const CLI::ParseError& e)
  {
    // Help and version end with 0; every option the parser refuses is a
    // usage error like any other bad input.
    return app.exit(e) == 0 ? 0 : 2;
  }
  catch (const qhost::app::CommandExit& e)
  {
    qhost::app::FlushConsole();
    return e.code;
  }
  catch (const qhost::InputError& e)  {
    qhost::app::FlushConsole();
    std::cerr << "quorvane: " << e.what() << "\n";
    return 2;
  }
  catch (const std::exception& e)
  {
    qhost::app::FlushConsole();
    std::cerr << "quorvane: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
