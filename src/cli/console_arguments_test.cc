#include "cli/console_arguments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pasahorario {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using Args = std::vector<std::string>;

TEST(ConsoleArgumentsTest, OptionsAreReadForTheirCommandOnly) {
  const ParsedArguments exportar = ParseConsoleArguments(
      {"Exportar", "centro", "--hora-inicio", "7:30", "--xtemp", "X", "--informe", "i.txt"});
  ASSERT_TRUE(exportar.arguments) << exportar.usage.value_or("");
  EXPECT_EQ(exportar.arguments->command, ConsoleCommand::kExportar);
  EXPECT_EQ(exportar.arguments->file, "centro");
  EXPECT_EQ(exportar.arguments->start_time, "7:30");
  EXPECT_EQ(exportar.arguments->xtemp, "X");
  EXPECT_EQ(exportar.arguments->informe, "i.txt");

  const ParsedArguments comprobar = ParseConsoleArguments({"comprobar", "centro.xml"});
  ASSERT_TRUE(comprobar.arguments);
  EXPECT_EQ(comprobar.arguments->command, ConsoleCommand::kComprobar);
  EXPECT_FALSE(comprobar.arguments->start_time);
  EXPECT_FALSE(comprobar.arguments->xtemp);
  EXPECT_FALSE(comprobar.arguments->informe);
}

TEST(ConsoleArgumentsTest, OptionsBeforeTheCommandAreTakenAsItsOwn) {
  for (const Args& arguments :
       {Args{"--xtemp", "X", "exportar", "centro.xml", "--informe", "i.txt"},
        Args{"--xtemp=X", "--informe", "i.txt", "exportar", "centro.xml"}}) {
    const ParsedArguments parsed = ParseConsoleArguments(arguments);
    ASSERT_TRUE(parsed.arguments) << parsed.usage.value_or("");
    EXPECT_EQ(parsed.arguments->command, ConsoleCommand::kExportar);
    EXPECT_EQ(parsed.arguments->file, "centro.xml");
    EXPECT_EQ(parsed.arguments->xtemp, "X");
    EXPECT_EQ(parsed.arguments->informe, "i.txt");
  }
}

TEST(ConsoleArgumentsTest, VersionIsPrinted) {
  const ParsedArguments parsed = ParseConsoleArguments({"--version"});
  ASSERT_TRUE(parsed.help);
  EXPECT_EQ(*parsed.help, "pasahorario-cli " PASAHORARIO_VERSION "\n");
}

TEST(ConsoleArgumentsTest, RefusalsAreToldInSpanish) {
  struct Case {
    Args arguments;
    std::string usage;
  };
  const Case cases[] = {
      {{}, "Indique la orden: exportar, importar o comprobar"},
      {{"convertir"},
       "Orden desconocida: convertir. Las órdenes son exportar, importar o comprobar"},
      {{"--verbose"}, "Opción desconocida: --verbose"},
      {{"--xtemp", "X"}, "Indique la orden: exportar, importar o comprobar"},
      {{"importar"}, "Falta el archivo XML de DELPHOS: importar ARCHIVO.xml"},
      {{"comprobar", "a.xml", "--hora-inicio"}, "Falta el valor de la opción --hora-inicio HH:MM"},
      {{"importar", "a.xml", "--informe"}, "Falta el valor de la opción --informe ARCHIVO"},
      {{"exportar", "a.xml", "--xtemp", "A", "--xtemp", "B"},
       "La opción --xtemp se ha dado más de una vez"},
      {{"importar", "a.xml", "--hora-inicio", "08:00"},
       "Opción desconocida para la orden importar: --hora-inicio"},
      {{"exportar", "a.xml", "b.xml", "c.xml"}, "Sobran argumentos: b.xml c.xml"},
  };
  for (const Case& c : cases) {
    std::string trace;
    for (const std::string& a : c.arguments) trace += a + " ";
    SCOPED_TRACE(trace);
    const ParsedArguments parsed = ParseConsoleArguments(c.arguments);
    EXPECT_FALSE(parsed.arguments);
    EXPECT_EQ(parsed.usage.value_or("(accepted)"), c.usage);
  }
}

TEST(ConsoleArgumentsTest, HelpAtTheTopListsEveryOptionOfEveryCommand) {
  const ParsedArguments top = ParseConsoleArguments({"-h"});
  ASSERT_TRUE(top.help);
  EXPECT_THAT(*top.help, AllOf(HasSubstr("Uso: pasahorario-cli [OPCIONES] ORDEN"),
                               HasSubstr("\ncomprobar\n"), HasSubstr("--hora-inicio HH:MM"),
                               HasSubstr("--informe ARCHIVO"), HasSubstr("--xtemp CARPETA")));
  EXPECT_THAT(*top.help, ::testing::Not(HasSubstr("REQUIRED")));

  const ParsedArguments importar = ParseConsoleArguments({"importar", "--help"});
  ASSERT_TRUE(importar.help);
  EXPECT_THAT(*importar.help, AllOf(HasSubstr("Uso: pasahorario-cli importar"),
                                    ::testing::Not(HasSubstr("--hora-inicio"))));
}

}  // namespace
}  // namespace pasahorario
