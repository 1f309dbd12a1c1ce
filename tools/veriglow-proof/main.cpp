// veriglow-proof: the soft proof of an image as a file. The image goes through the same document
// manager, default chain and proof link as a proof window, so the file shows what the window
// shows at 100 %.
#include "render.h"

#include "app/alert.h"
#include "app/preferences.h"
#include "app/string_table.h"
#include "documents/manager.h"
#include "documents/profile_catalogue.h"
#include "documents/sample_readout.h"
#include "engine/vce_color.h"
#include "foundation/carbon_file.h"
#include "foundation/stream.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

using namespace vemora;
using namespace vemora::cms::vemICC;
using namespace vemoraVeriglow;

namespace {

const char* const kUsage = R"(Usage: veriglow-proof IMAGE -o OUT.png [options]
       veriglow-proof IMAGE --sample X,Y[,SIZE] [options]
       veriglow-proof --list-profiles [CLASS]

Renders the soft proof of a TIFF or JPEG image exactly as a proof window shows it at 100 %:
the image's chain of ICC profiles (by default its embedded profile, the Lab source of a Lab
image, or the preferred default RGB or CMYK profile), up to three proof profiles, then the
display profile. The result is an 8-bit RGB PNG with the display profile embedded.

Options:
  -o, --output FILE      write the proofed page to FILE (PNG); the file appears complete or
                         not at all
  --source PROFILE       source profile instead of the default one (also instead of an
                         embedded profile); must be of the image's colour space
  --proof PROFILE[:IN[:OUT]][:bpc]
                         add a proof profile (a printer or press); up to three, in conversion
                         order. IN and OUT are the rendering intents into and out of it:
                         P perceptual, R relative colorimetric, S saturation, A absolute
                         colorimetric (default: the profile's own intent). ":bpc" applies
                         black point compensation on the conversion into it. With intent
                         consistency (the default) each profile's OUT follows the next
                         profile's IN, so OUT can be given for the last one only.
  --no-consistency       let every OUT intent stand on its own
  --display PROFILE      the monitor profile (default: the bundled sRGB profile)
  --simulate MODE        none (default); ink: simulate black ink (no black point
                         compensation into the display); paper: simulate paper white and
                         black ink (the last profile rendered absolute colorimetric)
  --native               show the image's own RGB values without any conversion (8-bit RGB
                         images only)
  --rotate left|right    turn the image by 90 degrees first
  --sample X,Y[,SIZE]    print what the sample panel shows for pixel (X, Y) of the (turned)
                         image, averaged over SIZE x SIZE pixels: 1, 3, 5, 10 or 20 (default 1)
  --threads N            convert on N threads (default: one per core)
  --list-profiles [CLASS]
                         print the profile catalogue group by group: description, colour
                         space, class, file. CLASS: input, display, output, colorspace,
                         abstract, link, named, or a four-letter class signature (prtr, ...)
  -h, --help             this text

A PROFILE is a file path or the exact description of a catalogued profile (see
--list-profiles). Errors are reported on standard error; the exit status is 0 on success,
1 when the proof cannot be made and 2 for a wrong command line.
)";

struct ProofArg {
    std::string profile;
    std::optional<Intent> in, out;
    bool bpc = false;
};

struct Options {
    std::string image, output, source, display;
    std::vector<ProofArg> proofs;
    int simulate = 0;
    bool native = false, consistency = true, list = false;
    int rotate = 0; // -1 left, 1 right
    bool sample = false;
    long sx = 0, sy = 0, ssize = 1;
    unsigned threads = 0;
    std::string listClass;
};

[[noreturn]] void usageError(const std::string& message)
{
    std::fprintf(stderr, "veriglow-proof: %s\nTry 'veriglow-proof --help'.\n", message.c_str());
    std::exit(2);
}

[[noreturn]] void fail(const std::string& message)
{
    std::fprintf(stderr, "veriglow-proof: %s\n", message.c_str());
    std::exit(1);
}

std::string text(long id) { return get_string_by_id(id).toUTF8(); }

std::optional<Intent> intentByLetter(const std::string& s)
{
    static const char letters[] = "PRSA";
    if (s.size() == 1)
        if (const char* p = std::strchr(letters, s[0]))
            return static_cast<Intent>(p - letters);
    return std::nullopt;
}

// PROFILE[:IN[:OUT]][:bpc], read from the right so that a path may hold colons.
ProofArg parseProof(std::string s)
{
    ProofArg a;
    auto lastField = [&s]() { const auto c = s.rfind(':'); return c == std::string::npos ? std::string() : s.substr(c + 1); };
    if (lastField() == "bpc") {
        a.bpc = true;
        s.erase(s.rfind(':'));
    }
    std::vector<Intent> intents;
    for (int k = 0; k < 2; ++k) {
        const auto i = intentByLetter(lastField());
        if (!i)
            break;
        intents.insert(intents.begin(), *i);
        s.erase(s.rfind(':'));
    }
    if (intents.size() >= 1)
        a.in = intents[0];
    if (intents.size() == 2)
        a.out = intents[1];
    if (s.empty())
        usageError("--proof needs a profile");
    a.profile = s;
    return a;
}

bool parseLong(const std::string& s, long* out)
{
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || errno)
        return false;
    *out = v;
    return true;
}

const std::vector<std::pair<const char*, ProfileClass>>& classNames()
{
    static const std::vector<std::pair<const char*, ProfileClass>> names = {
        {"input", 0x73636E72},    {"display", 0x6D6E7472}, {"output", 0x70727472}, {"colorspace", 0x73706163},
        {"abstract", 0x61627374}, {"link", 0x6C696E6B},    {"named", 0x6E6D636C}};
    return names;
}

std::optional<ProfileClass> classByName(const std::string& s)
{
    for (const auto& n : classNames())
        if (s == n.first)
            return n.second;
    if (s.size() == 4)
        return static_cast<ProfileClass>(static_cast<unsigned char>(s[0]) << 24 | static_cast<unsigned char>(s[1]) << 16 |
                                         static_cast<unsigned char>(s[2]) << 8 | static_cast<unsigned char>(s[3]));
    return std::nullopt;
}

Options parse(int argc, char** argv)
{
    Options o;
    auto value = [&](int& i) -> std::string {
        if (i + 1 >= argc)
            usageError(std::string(argv[i]) + " needs a value");
        return argv[++i];
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (a == "-o" || a == "--output") {
            o.output = value(i);
        } else if (a == "--source") {
            o.source = value(i);
        } else if (a == "--proof") {
            if (o.proofs.size() == 3)
                usageError("at most three --proof profiles");
            o.proofs.push_back(parseProof(value(i)));
        } else if (a == "--no-consistency") {
            o.consistency = false;
        } else if (a == "--display") {
            o.display = value(i);
        } else if (a == "--simulate") {
            const std::string m = value(i);
            if (m == "none")
                o.simulate = 0;
            else if (m == "ink")
                o.simulate = 1;
            else if (m == "paper")
                o.simulate = 2;
            else
                usageError("--simulate takes none, ink or paper");
        } else if (a == "--native") {
            o.native = true;
        } else if (a == "--rotate") {
            const std::string r = value(i);
            if (r != "left" && r != "right")
                usageError("--rotate takes left or right");
            o.rotate = r == "left" ? -1 : 1;
        } else if (a == "--sample") {
            const std::string s = value(i);
            std::vector<std::string> parts;
            for (std::size_t p = 0;;) {
                const std::size_t c = s.find(',', p);
                parts.push_back(s.substr(p, c == std::string::npos ? std::string::npos : c - p));
                if (c == std::string::npos)
                    break;
                p = c + 1;
            }
            if (parts.size() < 2 || parts.size() > 3 || !parseLong(parts[0], &o.sx) || !parseLong(parts[1], &o.sy) ||
                (parts.size() == 3 && !parseLong(parts[2], &o.ssize)))
                usageError("--sample takes X,Y or X,Y,SIZE");
            if (o.ssize != 1 && o.ssize != 3 && o.ssize != 5 && o.ssize != 10 && o.ssize != 20)
                usageError("the sample size is 1, 3, 5, 10 or 20");
            o.sample = true;
        } else if (a == "--threads") {
            long n = 0;
            if (!parseLong(value(i), &n) || n < 1 || n > 256)
                usageError("--threads takes a number from 1 to 256");
            o.threads = static_cast<unsigned>(n);
        } else if (a == "--list-profiles") {
            o.list = true;
            if (i + 1 < argc && classByName(argv[i + 1]))
                o.listClass = argv[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            usageError("unknown option " + a);
        } else if (o.image.empty()) {
            o.image = a;
        } else {
            usageError("one image at a time (" + a + ")");
        }
    }
    if (!o.list) {
        if (o.image.empty())
            usageError("no image given");
        if (o.output.empty() && !o.sample)
            usageError("nothing to do: give -o OUT.png or --sample X,Y");
    }
    return o;
}

std::string posixPath(const FileLocation& loc)
{
    FSRef ref;
    dxString path;
    if (loc.getFSRef(&ref) && nsp_MacCarbonFile::getPosixPathByFSRef(&path, ref))
        return path.str();
    return std::string();
}

bool locationByPath(const std::string& path, FileLocation* out)
{
    FSRef ref;
    return nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path) && out->assign(ref) && out->isExist();
}

std::string colorName(ColorMode c)
{
    switch (c) {
    case colorModeRGB:
        return "RGB";
    case colorModeCMYK:
        return "CMYK";
    case colorModeGray:
        return "Gray";
    case colorModeLab:
        return "Lab";
    case colorModeXYZ:
        return "XYZ";
    default:
        return "other";
    }
}

std::string signature(uint32_t s)
{
    std::string t;
    for (int k = 3; k >= 0; --k) {
        const char c = static_cast<char>(s >> (8 * k));
        t += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return t;
}

// The catalogue as the panels offer it: the generic profiles first, then a group per folder.
ProfileGroups catalogue(unsigned short lang)
{
    ProfileGroups groups;
    std::vector<ProfileItem> generic;
    build_generic_profile_item_list(&generic);
    if (!generic.empty())
        groups.push_back(generic);
    build_profile_list_group(&groups, lang);
    return groups;
}

int listProfiles(const Options& o, unsigned short lang)
{
    ProfileGroups groups = catalogue(lang), shown;
    if (o.listClass.empty())
        shown = groups;
    else
        trait_profile_list_group_by_class(&shown, groups, {*classByName(o.listClass)});
    for (std::size_t g = 0; g < shown.size(); ++g) {
        if (g)
            std::printf("\n");
        const std::string first = posixPath(shown[g].front().location);
        std::printf("Group %zu: %s\n", g + 1, first.substr(0, first.rfind('/')).c_str());
        for (const ProfileItem& item : shown[g])
            std::printf("  %s\t%s\t%s\t%s\n", item.description.toUTF8().c_str(), colorName(item.color).c_str(),
                        signature(item.profile_class).c_str(), posixPath(item.location).c_str());
    }
    return 0;
}

// A profile given by path or by its catalogue description, checked against what the slot takes
// as the load dialog checks it; the alert id of the dialog when it does not fit.
FileLocation resolveProfile(const std::string& what, const std::string& arg, const std::vector<ColorMode>& colours,
                            const std::vector<ProfileClass>& classes, unsigned short lang)
{
    FileLocation loc;
    ProfileItem item;
    if (locationByPath(arg, &loc)) {
        if (!make_profile_item_by_loc(&item, loc))
            fail(what + " " + arg + ": " + text(3007));
    } else if (!find_profile_item_by_description(catalogue(lang), UniString::fromUTF8(arg), &item)) {
        fail(what + " " + arg + ": no such file and no catalogued profile of that description");
    }
    if (!is_valid_profile_color(item.color, colours) || !is_valid_profile_class(item.profile_class, classes))
        fail(what + " " + arg + ": " + text(colours.front() != colorModeRGB ? 3009 : 3008));
    return item.location;
}

ProfilePack openPack(VG_Manager& manager, const std::string& what, const FileLocation& loc)
{
    ProfilePack pack;
    try {
        if (manager.get_profile_pack_by_location(&pack, loc, 0))
            return pack;
    } catch (...) {
    }
    fail(what + " " + posixPath(loc) + ": " + text(3007));
}

std::vector<unsigned char> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void applyChain(Proof* proof, VG_Manager& manager, const Options& o)
{
    ProfileSetting& s = proof->setting;
    const std::vector<ProfileClass> sourceClasses = {0x73636E72, 0x6D6E7472, 0x70727472, 0x73706163};
    const std::vector<ProfileClass> proofClasses = {0x6D6E7472, 0x70727472, 0x73706163};
    s.intent_consistency = o.consistency;
    if (!o.source.empty()) {
        if (s.color_mode == colorModeLab)
            fail("--source " + o.source + ": a Lab image has no source profile");
        const FileLocation loc = resolveProfile("--source", o.source, {s.color_mode}, sourceClasses, manager.get_language());
        s.use_embedded = false;
        // Replacing a node keeps its intents; a source given here converts at its own intent
        // (until consistency hands it the first proof profile's IN intent), not the one of the
        // profile it replaces.
        const ProfilePack pack = openPack(manager, "--source", loc);
        s.set_profile(pack, 0);
        s.nodes[0].intent_in = s.nodes[0].intent_out = pack.default_intent;
    }
    for (std::size_t k = 0; k < o.proofs.size(); ++k) {
        const ProofArg& p = o.proofs[k];
        const FileLocation loc = resolveProfile("--proof", p.profile, {colorModeRGB, colorModeCMYK}, proofClasses,
                                                manager.get_language());
        s.set_profile(openPack(manager, "--proof", loc), s.get_node_count());
        PNodeSetting& node = s.nodes.back();
        node.bpc = p.bpc;
        if (p.in)
            node.intent_in = *p.in;
        s.update_consistency_intent();
        if (p.out) {
            if (s.intent_consistency && k + 1 < o.proofs.size())
                usageError("--proof " + p.profile + ": with intent consistency only the last proof profile takes an OUT intent (see --no-consistency)");
            node.intent_out = *p.out;
        }
    }
    s.simulate = o.simulate;
    if (o.native) {
        if (!s.native_rgb_allowed)
            fail("--native: only 8-bit RGB images can be shown without conversion");
        s.native_rgb_on = true;
    }
    proof->update_link();
}

void printSample(const Proof& proof, const Options& o)
{
    SampleReadout r;
    if (!read_sample(&r, proof, *proof.image.image, o.sx, o.sy, o.ssize))
        fail("--sample: the square around that pixel lies outside the image");
    std::printf("Position: %s\n", r.position.c_str());
    std::printf("Sample size: %ld px\n", o.ssize);
    std::printf("Image: %s\n", r.value.c_str());
    for (std::size_t i = 0; i < r.stages.size(); ++i)
        std::printf("Step %zu: %s\n", i + 1, r.stages[i].c_str());
    for (int i = 0; i < 4; ++i)
        if (!r.names[i].empty())
            std::printf("Profile %d: %s\n", i, r.names[i].c_str());
}

} // namespace

int main(int argc, char** argv)
{
    const Options o = parse(argc, argv);

    setAlertPresenter([](const AlertRequest& r) {
        std::fprintf(stderr, "veriglow-proof: %s\n", r.message.toUTF8().c_str());
        return r.defaultButton;
    });
    if (!open_parambase_file("param.txt"))
        fail("the resource folder of the installation is missing (param.txt)");
    open_stringbase_file(get_param_string_by_id(100));
    // The user's settings are read, never written: a tool does not make first-start files.
    open_pref_file(false);
    read_string_by_region_code(get_preference() ? get_preference()->region : 1);
    cms::vemICC::nsp_VCE::allocatePow0p33Table();

    VG_Manager manager;
    if (o.list)
        return listProfiles(o, manager.get_language());

    FileLocation imageLoc;
    if (!locationByPath(o.image, &imageLoc))
        fail(o.image + ": " + text(3002));
    auto entry = manager.find_or_open_image(imageLoc);
    if (entry == manager.images.end())
        return 1;

    VG_Manager::DisplayPair display;
    if (o.display.empty()) {
        if (!get_generic_rgb_profile(&display.first))
            fail(text(3005));
    } else {
        display.first = resolveProfile("--display", o.display, {colorModeRGB}, {0x6D6E7472, 0x73706163, 0x70727472},
                                       manager.get_language());
    }
    display.second = openPack(manager, "--display", display.first);

    Proof proof;
    if (!manager.build_proof_by_image(&proof, entry, display, 0))
        fail(o.image + ": " + text(3007));
    applyChain(&proof, manager, o);
    if (o.rotate)
        rotate_proof_image(&proof, o.rotate > 0);

    const bool native = proof.setting.native_rgb_on;
    if (!native && (proof.link.isNull() || !proof.link->isReady()))
        fail(o.image + ": the profiles of the chain do not connect (each profile must take the colour space the one before gives)");

    if (o.sample)
        printSample(proof, o);

    if (!o.output.empty()) {
        GenericImage page;
        render_page(&page, *proof.image.image, native ? nullptr : proof.link.get(), o.threads);
        std::string error;
        const std::string displayPath = posixPath(display.first);
        if (!write_png(o.output, page, fileBytes(displayPath), display.second.description.toUTF8(), &error))
            fail(error);
    }
    close_pref_file();
    close_stringbase_file();
    close_parambase_file();
    return 0;
}
