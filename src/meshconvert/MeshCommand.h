// `velmora mesh`: converts a mesh from a common 3D format into the LWO2
// triangle subset the object box reads.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora {

struct MeshOptions {
    std::string input;
    std::string output;               // -o FILE
    std::optional<double> fitRadius;  // --fit R: the bounding sphere's radius becomes R
    bool centre = false;              // --centre: the bounding box's middle goes to the origin
    bool flip = false;                // --flip: every triangle turned round
    int layer = 0;                    // --layer N, counted from 1; 0 (--merge) joins every layer
    bool help = false;                // --help
};

// Reads the arguments after the word "mesh"; false after a one-line error on
// standard error.
bool parseMeshOptions(const std::vector<std::string>& args, MeshOptions& options);

// Converts as the options say, printing what it did on standard output and any
// failure on standard error. 0 when the file is written, 1 otherwise; an
// existing output is replaced only once the whole new file is written.
int convertMesh(const MeshOptions& options);

// The command: 0 done (or help shown), 1 conversion failed, 2 bad command line.
int runMeshCommand(const std::vector<std::string>& args);

extern const char kMeshUsage[];

}  // namespace velmora
