// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"
#include "simulator.h"

#include <iostream>
#include <span>
#include <string_view>
#include <vector>

int main(int argc, char **argv)
{
    using modemsim::OptionError;
    using modemsim::Options;

    const std::span<char *> all(argv, static_cast<std::size_t>(argc));
    const std::vector<std::string_view> args(all.begin() + 1, all.end());
    try {
        Options options = Options::parse(args);
        if (options.help) {
            std::cout << Options::usage();
            return 0;
        }
        modemsim::Simulator simulator(std::move(options));
        return simulator.run();
    } catch (const OptionError &error) {
        std::cerr << "modem-sim: " << error.what() << "\n(see modem-sim --help)" << std::endl;
        return 2;
    } catch (const std::exception &error) {
        std::cerr << "modem-sim: " << error.what() << std::endl;
        return 1;
    }
}
