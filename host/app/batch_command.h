// `quorvane batch`: many variants of one rock (a preset, a scene or any rock
// the shared rock options describe) over a seed range and parameter ranges,
// each written with a record, then a manifest and a contact sheet. Runs
// variants in several processes (--jobs), as one shard of a job array
// (--shard), and resumes: finished variants, verified by their records, are
// skipped. docs/batch.md shows it under Slurm, GNU parallel and Kubernetes.
#pragma once

#include <CLI/CLI.hpp>

namespace qhost::app {
void AddBatchCommand(CLI::App& app, const char* argv0, std::string& pluginsOption);
} // namespace qhost::app
