#include "app/cli/generate_command.h"

#include <filesystem>
#include <iostream>
#include <memory>

#include "app/cli/cli_support.h"
#include "io/sheet_file.h"
#include "io/sheet_generator.h"

namespace zkl::app {

namespace {

namespace fs = std::filesystem;

struct GenerateArguments {
    int components = 100;
    std::uint32_t seed = 1;
    bool noBorder = false;
    std::string output;
};

void Generate(const GenerateArguments& arguments) {
    io::SheetGeneratorOptions options;
    options.components = arguments.components;
    options.seed = arguments.seed;
    options.border = !arguments.noBorder;
    const fs::path output = fs::absolute(arguments.output);
    options.macroProjectPath = (output.parent_path() / "ZKL_Labeller.mvba").string();
    const cad::Drawing drawing = io::GenerateSheet(options);
    io::SaveSheet(drawing, output);
    std::cout << "Wrote " << arguments.output << ": " << drawing.Model(1).Size() - 1 << " components, "
              << (options.border ? "one drawing area" : "no border") << ", seed " << options.seed << "\n";
}

}  // namespace

Command AddGenerateCommand(CLI::App& program) {
    auto arguments = std::make_shared<GenerateArguments>();
    CLI::App* generate = program.add_subcommand("generate", "Write a synthetic plant sheet");
    generate->add_option("--components", arguments->components, "Plant components to generate (1 to 1000000)")
        ->default_val(100)
        ->check(CLI::Range(1, 1000000));
    generate
        ->add_option("--seed", arguments->seed, "Seed of the generator; a seed always gives the same sheet")
        ->default_val(1);
    generate->add_flag("--no-border", arguments->noBorder,
                       "Leave out the drawing area's border shape (Automatic Place then draws one)");
    generate->add_option("-o,--output", arguments->output, "The sheet to write (FILE.json)")
        ->required()
        ->check(CLI::Validator(CheckSheetName, "FILE.json", "sheet file name"));
    return {generate, [arguments] { Generate(*arguments); }};
}

}  // namespace zkl::app
