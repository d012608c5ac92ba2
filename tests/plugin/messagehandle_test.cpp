// SPDX-License-Identifier: GPL-3.0-or-later
// The message filter and the glow it drives, through the plug-in's COM surface.

#include <climits>
#include <ostream>

#include "platform/com/runtimeerror.h"
#include "platform/com/variant.h"
#include "tests/plugin/pluginfixture.h"
#include "tests/support/casename.h"

namespace plugintest {
namespace {

using com::HRESULT;

struct Ignored {
    int32_t msg, channel, value;
};

void PrintTo(const Ignored& m, std::ostream* out) {
    *out << "message " << m.msg << ", channel " << m.channel << ", value " << m.value;
}

class PluginMessageFilter : public PluginTest, public testing::WithParamInterface<Ignored> {};

// Every one of these is ignored without trying to create the display window:
// this copy lacks a picture, so creating the window would fail with error 53.
TEST_P(PluginMessageFilter, IgnoresMessageWithoutCreatingTheWindow) {
    load({"gruen040.gif"});
    const Ignored& m = GetParam();

    HRESULT status;
    EXPECT_EQ(message(m.msg, m.channel, m.value, &status), 0);
    EXPECT_EQ(status, com::S_OK);

    // The same through late binding, with by-reference arguments.
    int32_t msg = m.msg, channel = m.channel, value = m.value;
    com::VARIANT args[3] = {};
    for (com::VARIANT& arg : args) arg.vt = com::VT_I4 | com::VT_BYREF;
    args[0].plVal = &msg;
    args[1].plVal = &channel;
    args[2].plVal = &value;
    com::Variant result;
    EXPECT_EQ(com::invokeByName(m_plugin.get(), "MessageHandle", com::DISPATCH_METHOD, args, result.put()),
              com::S_OK);
    EXPECT_EQ(result.type(), com::VT_I4);
    EXPECT_EQ(result.toInt32(), 0);
    // The caller's values are read, never written.
    EXPECT_EQ(msg, m.msg);
    EXPECT_EQ(channel, m.channel);
    EXPECT_EQ(value, m.value);

    EXPECT_TRUE(releaseAndCanUnload()) << "a window was created";
}

INSTANTIATE_TEST_SUITE_P(
    OtherMessagesAndChannelsOutside, PluginMessageFilter,
    testing::Values(Ignored{14, 1, 120}, Ignored{16, 1, 120}, Ignored{0, 5, 0}, Ignored{-15, 1, 1},
                    Ignored{INT32_MIN, 1, 255}, Ignored{INT32_MAX, 9, 255}, Ignored{15 + 65536, 3, 10},
                    // Channels before and after the window.
                    Ignored{15, -1, 120}, Ignored{15, 10, 120}, Ignored{15, 11, 0}, Ignored{15, INT32_MIN, 1},
                    Ignored{15, INT32_MAX, 1}, Ignored{15, 32767 + 1, 1},
                    // StartChannel itself drives no nimbo: ignored, not an error 340.
                    Ignored{15, 0, 0}, Ignored{15, 0, 120}, Ignored{15, 0, 255}, Ignored{15, 0, INT32_MIN}),
    testsupport::CaseName());

struct Glow {
    int32_t channel, value;
    const char* code;  // the envelope shown after the value
    bool flame;
};

void PrintTo(const Glow& g, std::ostream* out) {
    *out << "channel " << g.channel << ", value " << g.value << " -> " << g.code
         << (g.flame ? ", flame lit" : "");
}

class PluginChannelGlow : public PluginTest, public testing::WithParamInterface<Glow> {};

// Channels 1..9 drive nimbos 0..8, each in its default colour; nothing else
// on the window changes. Each case starts from the value 160 on its channel
// (envelope "080", flame lit), which the value under test replaces.
TEST_P(PluginChannelGlow, ChannelDrivesItsNimbo) {
    load();
    const Glow& g = GetParam();
    HRESULT status;
    EXPECT_EQ(message(15, g.channel, 160, &status), 0);
    EXPECT_EQ(message(15, g.channel, g.value, &status), 0);
    ASSERT_EQ(status, com::S_OK);

    const auto window = toolWindow(moduleInfo(m_plugin.get()).get());
    const QImage render = renderWindow(window.get());
    ASSERT_FALSE(render.isNull());
    const int driven = g.channel - 1;
    for (int i = 0; i < 9; ++i) {
        const QString file = QString::fromLatin1(kDefaultColorWords[i]) +
                             QLatin1String(i == driven ? g.code : "000") + QStringLiteral(".gif");
        std::string why;
        EXPECT_TRUE(showsEnvelope(render, i, m_copy->imagesFolder(), file, &why)) << why;
        EXPECT_EQ(flameLit(render, i), i == driven && g.flame) << "nimbo " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    ValuesAndBands, PluginChannelGlow,
    testing::Values(Glow{1, 0, "000", false}, Glow{1, 255, "100", true}, Glow{2, 1, "001", true},
                    Glow{3, 9, "001", true}, Glow{3, 120, "060", true}, Glow{4, 10, "020", true},
                    Glow{4, 59, "020", true}, Glow{5, 60, "040", true}, Glow{5, 109, "040", true},
                    Glow{6, 110, "060", true}, Glow{6, 159, "060", true}, Glow{7, 0, "000", false},
                    Glow{7, 209, "080", true}, Glow{8, 210, "100", true}, Glow{9, 255, "100", true},
                    // Negative values glow at the lowest level.
                    Glow{9, -1, "001", true}, Glow{2, INT32_MIN, "001", true},
                    // 256 and more change nothing.
                    Glow{8, 256, "080", true}, Glow{1, INT32_MAX, "080", true}),
    testsupport::CaseName());

// The first message inside the window creates the display window without
// showing it; the module information later hands over that same window.
TEST_F(PluginTest, FirstChannelValueCreatesTheHiddenWindow) {
    load();
    HRESULT status;
    EXPECT_EQ(message(15, 3, 120, &status), 0);
    EXPECT_EQ(status, com::S_OK);
    EXPECT_FALSE(releaseAndCanUnload()) << "no window was created";

    m_plugin = m_copy->create();
    const auto window = toolWindow(moduleInfo(m_plugin.get()).get());
    EXPECT_FALSE(windowVisible(window.get()));
    std::string why;
    EXPECT_TRUE(showsEnvelope(renderWindow(window.get()), 2, m_copy->imagesFolder(), "gruen060.gif", &why))
        << why;
}

// Late binding passes references to the caller's values through to the glow.
TEST_F(PluginTest, MessageThroughInvokeDrivesTheNimbo) {
    load();
    com::Variant result;
    EXPECT_EQ(com::invokeByName(m_plugin.get(), "messagehandle", com::DISPATCH_METHOD,
                                std::span<com::VARIANT>(), result.put()),
              com::DISP_E_BADPARAMCOUNT);
    com::Variant msg = com::Variant::fromInt32(15), channel = com::Variant::fromInt32(9),
                 value = com::Variant::fromInt32(200);
    com::VARIANT args[3] = {msg.get(), channel.get(), value.get()};
    EXPECT_EQ(com::invokeByName(m_plugin.get(), "MessageHandle", com::DISPATCH_METHOD, args, result.put()),
              com::S_OK);
    EXPECT_EQ(result.toInt32(), 0);
    std::string why;
    EXPECT_TRUE(showsEnvelope(renderWindow(toolWindow(moduleInfo(m_plugin.get()).get()).get()), 8,
                              m_copy->imagesFolder(), "weiss080.gif", &why))
        << why;
}

// A picture that cannot be read reaches the host as its file error, named in
// the error info; the next message tries to create the window again.
TEST_F(PluginTest, MissingPictureFailsAndTheNextMessageRetries) {
    load({"gruen040.gif"});
    HRESULT status;
    EXPECT_EQ(message(15, 1, 255, &status), 0);
    EXPECT_EQ(status, com::hr(0x800A0035));
    EXPECT_EQ(com::errorInfo().number, 53);
    EXPECT_NE(com::errorInfo().description.find("gruen040.gif"), std::string::npos)
        << com::errorInfo().description;
    EXPECT_EQ(message(15, 1, 255, &status), 0);
    EXPECT_EQ(status, com::hr(0x800A0035));

    m_copy->restorePicture("gruen040.gif");
    EXPECT_EQ(message(15, 1, 255, &status), 0);
    EXPECT_EQ(status, com::S_OK);
    std::string why;
    EXPECT_TRUE(showsEnvelope(renderWindow(toolWindow(moduleInfo(m_plugin.get()).get()).get()), 0,
                              m_copy->imagesFolder(), "blau100.gif", &why))
        << why;
}

}  // namespace
}  // namespace plugintest
