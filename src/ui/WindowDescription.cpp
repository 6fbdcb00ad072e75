#include "ui/WindowDescription.h"

#include <array>

namespace {

using K = ControlKind;
using P = Picture;
namespace F = ControlFlag;

constexpr FontSpec font(const char *face, double points, bool bold = false, bool italic = false)
{
    return {face, points, bold, italic};
}

constexpr FontSpec Arial(double pt, bool bold = false) { return font("Arial", pt, bold); }
constexpr FontSpec Times(double pt, bool bold = false, bool italic = false)
{
    return font("Times New Roman", pt, bold, italic);
}
constexpr FontSpec Sans(double pt, bool bold = false, bool italic = false)
{
    return font("MS Sans Serif", pt, bold, italic);
}

constexpr Colour Yellow = rgb(0xFFFF00);
constexpr Colour Green = rgb(0x00FF00);
constexpr Colour Red = rgb(0xFF0000);
constexpr Colour Blue = rgb(0x0000FF);
constexpr Colour Mauve = rgb(0xC000C0);
constexpr Colour DarkGreen = rgb(0x008000);
constexpr Colour Def = kDefaultColour;

// Speech of a control read as the toolkit reads it, of one named, and of a
// label that shows a value.
constexpr Speech Shown{Speech::Unnamed, nullptr, nullptr};
constexpr Speech named(const char *name, const char *description = nullptr)
{
    return {Speech::Named, name, description};
}
constexpr Speech reads(const char *name) { return {Speech::ReadsValue, name, nullptr}; }

constexpr WindowSpec kWindow{"Calcola il valore della seguente tarvimonda", 12720, 8505, Green};

// clang-format off
constexpr std::array kControls = std::to_array<ControlSpec>({
//  name          kind            caption                                Left   Top  Width Height font                     fore         back               flags                                       tooltip                                                        picture         tab  max  speech                                   kept in
  {"txtAnswer1",  K::TextBox,     "",                                     8280,  360,    0,  105, Arial(1.5),              Green,       kWindowBackground, 0,                                          nullptr,                                                       P::None,         18, 0, named("Nuovo esercizio"),                &Controls::txtAnswer1},
  {"txtAnswer",   K::TextBox,     "",                                     9840, 2040, 2655, 1200, Arial(48),               Green,       rgb(0xFFFF80),     0,                                          "Inserisci il risultato e  premi il tasto  Invio",             P::None,          7, 4, named("Inserisci il valore"),            &Controls::txtAnswer},
  {"cmdNext",     K::PictureButton, "&Nuovo calcolo",                    10440, 6120, 1815, 1095, Sans(8.25, true),        Def,         Green,             F::Disabled | F::IconPointer,               "Go",                                                          P::FaceSmile,     2, 0, named("Nuovo calcolo", kNextButtonDescription), &Controls::cmdNext},
  {"cmdExit",     K::PictureButton, "E&xit",                               480, 6240, 1815, 1095, Sans(8.25, true),        Def,         Red,               0,                                          "Ti prego resta ancora, forse riuscirai a farmi uscire ",      P::NoEntry,       0, 0, named("Exit", "Termina la partita e salva il record se lo hai battuto"), &Controls::cmdExit},
  {"Command1",    K::Button,      "Command1",                            11040, 6360,  855,  615, kDefaultFont,            Def,         Def,               0,                                          nullptr,                                                       P::None,         14, 0, named("Pulsante senza funzione"),        {}},
  {"Label15",     K::Label,       "b =",                                 10800, 1200,  945,  825, Times(36),               Yellow,      Def,               F::AutoSize,                                nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"Label10",     K::Label,       "tarvimonda con",                       7680,    0, 4935,  735, Arial(20.25),            Yellow,      Def,               0,                                          nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"Label9",      K::Label,       "Calcola il valore della seguente ",    1800,    0, 7215,  615, Arial(20.25),            Yellow,      Def,               0,                                          nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"Label7",      K::Label,       "a =",                                 10680,  480,  900,  825, Times(36),               Yellow,      Def,               F::AutoSize,                                nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"Label5",      K::Label,       " b =",                                10440, 1080,   15,  735, Times(48),               Def,         Def,               0,                                          nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"lblvalb",     K::Label,       "a",                                   11640,  600,  975,  615, Times(26.25),            Yellow,      Def,               0,                                          nullptr,                                                       P::None,         -1, 0, reads("Valore di a"),                    &Controls::lblvalb},
  {"lblvala",     K::Label,       "b",                                   11760, 1320,  855,  975, Times(26.25),            Yellow,      Def,               0,                                          nullptr,                                                       P::None,         -1, 0, reads("Valore di b"),                    &Controls::lblvala},
  {"Label2",      K::Label,       "per ",                                 6720, 4200, 1335,  735, kDefaultFont,            Def,         Def,               F::Hidden | F::Opaque,                      nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"Label11",     K::Label,       "Tempo restante",                          0,    0, 1695,  375, Sans(9.75),              Yellow,      Def,               0,                                          nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"lblconto",    K::Label,       "00.00.00",                              120,  840, 1575,  495, font("Arial Black", 12, true), Yellow, Def,             F::Border,                                  nullptr,                                                       P::None,         -1, 0, reads("Tempo restante"),                 &Controls::lblconto},
  {"Label14",     K::Label,       "Sfidante",                              480, 5640, 1425,  420, Sans(13.5),              DarkGreen,   Def,               F::Border | F::AlignCentre | F::AutoSize,   nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"lblnome1",    K::Label,       "",                                     2040, 5640,  525,  420, Sans(13.5, true),        DarkGreen,   Def,               F::Border | F::AutoSize,                    nullptr,                                                       P::None,         -1, 0, reads("Sfidante"),                       &Controls::lblnome1},
  {"lblpunti",    K::Label,       "0",                                   10680, 7320,  270,  555, Sans(24),                Mauve,       Def,               F::AutoSize,                                nullptr,                                                       P::None,         -1, 0, reads("Punti del record"),               &Controls::lblpunti},
  {"Label13",     K::Label,       "con punti",                            9000, 7440, 1455,  435, Sans(18),                Mauve,       Def,               F::AutoSize,                                nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"lblnome",     K::Label,       "nome",                                 2400, 7440,  990,  435, Sans(18, true),          rgb(0xFF00FF), Def,             F::AutoSize,                                nullptr,                                                       P::None,         -1, 0, reads("Detentore del record"),           &Controls::lblnome},
  {"Label12",     K::Label,       "Il record  è di ",                      120, 7440, 2295,  375, Sans(18),                Mauve,       Def,               0,                                          nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"lblmon4",     K::Label,       "b",                                    4800, 1320,  615,  855, Times(36),               Red,         Def,               0,                                          nullptr,                                                       P::None,         -1, 0, reads("Lettera del terzo termine"),      {}},
  {"lblmon3",     K::Label,       "b",                                    3120, 1320,  495,  735, Times(36),               kButtonText, Def,               0,                                          nullptr,                                                       P::None,         -1, 0, reads("Lettera del secondo termine"),    {}},
  {"lblnom5",     K::Label,       "Inserisci il valore",                  6360, 2280, 3495,  975, Times(24, false, true),  Green,       Def,               0,                                          nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"lblmon1",     K::Label,       "a",                                    6600, 1320,  495,  855, Times(36),               kButtonText, Def,               0,                                          nullptr,                                                       P::None,         -1, 0, reads("Lettera del quarto termine"),     {}},
  {"lblmon",      K::Label,       "a",                                    1440, 1320,  495,  855, Times(36),               kWindowText, Def,               0,                                          nullptr,                                                       P::None,         -1, 0, reads("Lettera del primo termine"),      {}},
  {"lblNum4",     K::Label,       "",                                     5160, 1320, 1335,  825, Arial(36),               Green,       Def,               F::AlignRight | F::AutoSize,                nullptr,                                                       P::None,         -1, 0, reads("Coefficiente del quarto termine"), {}},
  {"lblNum3",     K::Label,       "",                                      120, 1320, 1275,  825, Arial(36),               Green,       Def,               F::AlignRight,                              nullptr,                                                       P::None,         -1, 0, reads("Coefficiente del primo termine"), {}},
  {"Label8",      K::Label,       "",                                     5760, 1800, 1095, 1095, kDefaultFont,            Def,         Def,               0,                                          nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"Label3",      K::Label,       "Risposte totali",                     10200, 3360, 2340,  495, Sans(18),                Blue,        Def,               F::Border | F::AutoSize,                    nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"Label1",      K::Label,       "Risposte errate",                      4920, 3360, 2520,  495, Sans(18),                Red,         Def,               F::Border | F::AutoSize,                    nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
  {"lblScore2",   K::Label,       "0",                                   11040, 4200,  555,  885, Times(36, true),         Blue,        Def,               F::Border | F::AlignCentre | F::AutoSize,   nullptr,                                                       P::None,         -1, 0, reads("Risposte totali"),                &Controls::lblScore2},
  {"lblScore1",   K::Label,       "0",                                    5760, 4320,  540,  885, Times(36, true),         Red,         Def,               F::Border | F::AlignCentre | F::AutoSize,   nullptr,                                                       P::None,         -1, 0, reads("Risposte errate"),                &Controls::lblScore1},
  {"Image1",      K::Image,       "",                                      600,  360,  480,  480, kDefaultFont,            Def,         Def,               0,                                          "Clicca sotto di me per impostare il Timer",                   P::Stopwatch,    -1, 0, named("Cronometro"),                     {}},
  {"lblTime",     K::Label,       "",                                     8400, 1800,   90,  300, Sans(12, true),          Def,         Def,               F::AutoSize,                                "Clicca sotto di me per attivare il Timer",                    P::None,         -1, 0, named("Timer"),                          {}},
  {"lblNum2",     K::Label,       "",                                     3480, 1320, 1305,  825, Arial(36),               Green,       Def,               F::AlignRight,                              nullptr,                                                       P::None,         -1, 0, reads("Coefficiente del terzo termine"), {}},
  {"Label4",      K::Label,       "=",                                    7440, 1320,  615,  975, Arial(48, true),         Green,       Def,               F::AlignCentre,                             nullptr,                                                       P::None,         -1, 0, named("uguale"),                         {}},
  {"lblNum1",     K::Label,       "",                                     1800, 1320, 1275,  825, Arial(36),               Green,       Def,               F::AlignRight | F::AutoSize,                nullptr,                                                       P::None,         -1, 0, reads("Coefficiente del secondo termine"), {}},
  {"lblScore",    K::Label,       "0",                                     960, 4320,  555,  885, Times(36, true),         Green,       Def,               F::Border | F::AlignCentre | F::AutoSize,   "Questo è il tuo punteggio. Forza con il  record",             P::None,         -1, 0, reads("Risposte esatte"),                &Controls::lblScore},
  {"lblMessage",  K::Label,       "",                                     1080, 2640, 6615,  615, Sans(24, true, true),    Red,         Def,               F::AlignCentre | F::IconPointer,            nullptr,                                                       P::None,         -1, 0, reads("Esito"),                          &Controls::lblMessage},
  {"Label6",      K::Label,       "Risposte esatte",                       240, 3360, 2565,  495, Sans(18),                rgb(0x00C000), Def,             F::Border | F::AlignCentre | F::AutoSize,   nullptr,                                                       P::None,         -1, 0, Shown,                                   {}},
});

constexpr std::array kTimers = std::to_array<TimerSpec>({
    {"Timer2", 0, true, {}},
    {"Timer1", 1000, true, &Controls::Timer1},
});

// The four identifying entries name a fictional school and authors.
constexpr std::array kMenu = std::to_array<MenuSpec>({
    {"INFOMAZIONI", nullptr,       "Scuola di Esempio",             {}},
    {"Tmer",        "INFOMAZIONI", "www.scuola-di-esempio.example", {}},
    {"copy",        nullptr,       "Autori: il gruppo Tarvimonda",  &Controls::copy},
    {"tr",          "copy",        "programma freeware",            {}},
    {"ik",          "tr",          "tarvimonda@example.org",        {}},
    {"Next",        nullptr,       "Nuovo",                         &Controls::Next},
});
// clang-format on

} // namespace

const WindowSpec &windowSpec() { return kWindow; }
std::span<const ControlSpec> controlSpecs() { return kControls; }
std::span<const TimerSpec> timerSpecs() { return kTimers; }
std::span<const MenuSpec> menuSpecs() { return kMenu; }
