#include "host/app/noise_gallery_command.h"

#include <iostream>

#include "host/app/progress.h"
#include "host/gallery/noise_tiles.h"

namespace qhost::app {

void AddNoiseGalleryCommand(CLI::App& app)
{
  struct Options
  {
    std::string out = "noise-gallery.png";
    int tile = 128;
    int seed = 1234;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand("noise-gallery", "Render every noise type as a labelled tile into a PNG");
  cmd->add_option("--out", options->out, "Output PNG")->capture_default_str();
  cmd->add_option("--tile", options->tile, "Tile size in pixels (16 ... 1024)")->capture_default_str();
  cmd->add_option("--seed", options->seed, "Noise seed")->capture_default_str();
  cmd->callback([options] {
    {
      ElapsedProgress progress("Rendering noise gallery");
      WriteNoiseGallery(options->out, options->tile, options->seed);
    }
    std::cout << "wrote " << options->out << "\n";
  });
}

} // namespace qhost::app
