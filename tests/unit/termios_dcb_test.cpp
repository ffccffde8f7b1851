// The Dcb <-> termios mappings, checked on termios records alone (the
// pseudo-terminals of the device tests keep 8 bits without parity whatever
// is asked, so framing can only be read back here or on a real port).

#include "platform/posix/TermiosDcb.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

termios RawTermios() {
    termios t{};
    cfmakeraw(&t);
    t.c_cc[VSTART] = 0x11;
    t.c_cc[VSTOP] = 0x13;
    return t;
}

Dcb LineDcb(uint8_t byteSize, uint8_t parity, uint8_t stopBits) {
    Dcb dcb;
    dcb.BaudRate = 600;
    dcb.ByteSize = byteSize;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    return dcb;
}

TEST(TermiosDcb, FramingReadsBackAsSetForEverySizeParityAndStopBits) {
    for (uint8_t size = 5; size <= 8; ++size) {
        for (uint8_t parity : {COMM_NOPARITY, COMM_ODDPARITY, COMM_EVENPARITY, COMM_MARKPARITY, COMM_SPACEPARITY}) {
            for (uint8_t stop : {COMM_ONESTOPBIT, COMM_ONE5STOPBITS, COMM_TWOSTOPBITS}) {
                SCOPED_TRACE(testing::Message() << "size " << int(size) << " parity " << int(parity)
                                                << " stop " << int(stop));
                termios t = RawTermios();
                ASSERT_TRUE(ApplyDcbFraming(LineDcb(size, parity, stop), t));
                Dcb back;
                FillDcbFromTermios(t, COMM_DTR_CONTROL_ENABLE, COMM_RTS_CONTROL_DISABLE, back);
                EXPECT_EQ(back.ByteSize, size);
                EXPECT_EQ(back.Parity, parity);
                // A UART sends 1.5 stop bits for "two" with 5 data bits only.
                const uint8_t expectedStop =
                    stop == COMM_ONESTOPBIT ? COMM_ONESTOPBIT : (size == 5 ? COMM_ONE5STOPBITS : COMM_TWOSTOPBITS);
                EXPECT_EQ(back.StopBits, expectedStop);
                EXPECT_TRUE(t.c_cflag & CLOCAL);
                EXPECT_TRUE(t.c_cflag & CREAD);
            }
        }
    }
}

TEST(TermiosDcb, FlowControlAndParityCheckingMapBothWays) {
    struct Case {
        const char* name;
        void (*set)(Dcb&);
        tcflag_t iflag;  // input flags expected set
        bool rtsCts;
        void (*check)(const Dcb&);
    };
    const Case cases[] = {
        {"CTS output flow", [](Dcb& d) { d.fOutxCtsFlow = 1; }, 0, true,
         [](const Dcb& d) {
             EXPECT_EQ(d.fOutxCtsFlow, 1u);
             EXPECT_EQ(d.fRtsControl, COMM_RTS_CONTROL_HANDSHAKE);
         }},
        {"RTS handshaking", [](Dcb& d) { d.fRtsControl = COMM_RTS_CONTROL_HANDSHAKE; }, 0, true,
         [](const Dcb& d) { EXPECT_EQ(d.fRtsControl, COMM_RTS_CONTROL_HANDSHAKE); }},
        {"XON/XOFF both ways",
         [](Dcb& d) {
             d.fOutX = d.fInX = 1;
             d.XonChar = 0x01;
             d.XoffChar = 0x02;
         },
         IXON | IXOFF, false,
         [](const Dcb& d) {
             EXPECT_EQ(d.fOutX, 1u);
             EXPECT_EQ(d.fInX, 1u);
             EXPECT_EQ(d.XonChar, 0x01);
             EXPECT_EQ(d.XoffChar, 0x02);
         }},
        {"parity checking", [](Dcb& d) { d.fParity = 1, d.Parity = COMM_ODDPARITY; }, INPCK, false,
         [](const Dcb& d) { EXPECT_EQ(d.fParity, 1u); }},
        {"parity checking without parity is off", [](Dcb& d) { d.fParity = 1; }, 0, false,
         [](const Dcb& d) { EXPECT_EQ(d.fParity, 0u); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dcb dcb = LineDcb(8, COMM_NOPARITY, COMM_ONESTOPBIT);
        c.set(dcb);
        termios t = RawTermios();
        ASSERT_TRUE(ApplyDcbFraming(dcb, t));
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK), c.iflag);
        EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, c.rtsCts);
        Dcb back;
        FillDcbFromTermios(t, COMM_DTR_CONTROL_ENABLE, COMM_RTS_CONTROL_ENABLE, back);
        c.check(back);
    }
}

TEST(TermiosDcb, RefusesWhatALineCannotDoAndLeavesTheSettingsAlone) {
    struct Case {
        const char* name;
        void (*spoil)(Dcb&);
    };
    const Case cases[] = {
        {"4 data bits", [](Dcb& d) { d.ByteSize = 4; }},
        {"9 data bits", [](Dcb& d) { d.ByteSize = 9; }},
        {"parity 5", [](Dcb& d) { d.Parity = 5; }},
        {"stop bits 3", [](Dcb& d) { d.StopBits = 3; }},
        {"DTR control 3", [](Dcb& d) { d.fDtrControl = 3; }},
        {"RTS control 4", [](Dcb& d) { d.fRtsControl = 4; }},
        {"XON equal to XOFF", [](Dcb& d) { d.fOutX = 1, d.XonChar = d.XoffChar = 0x11; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dcb dcb = LineDcb(8, COMM_NOPARITY, COMM_ONESTOPBIT);
        c.spoil(dcb);
        termios t = RawTermios();
        const termios before = t;
        EXPECT_FALSE(ApplyDcbFraming(dcb, t));
        EXPECT_EQ(std::memcmp(&t, &before, sizeof t), 0);
    }
}

TEST(TermiosDcb, FieldsWithoutTermiosMeaningReadAsAWindowsDriverReportsThem) {
    Dcb dcb;
    FillDcbFromTermios(RawTermios(), COMM_DTR_CONTROL_DISABLE, COMM_RTS_CONTROL_ENABLE, dcb);
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.fBinary, 1u);
    EXPECT_EQ(dcb.fDtrControl, COMM_DTR_CONTROL_DISABLE);
    EXPECT_EQ(dcb.fRtsControl, COMM_RTS_CONTROL_ENABLE);
    EXPECT_EQ(dcb.XonLim, 2048);
    EXPECT_EQ(dcb.XoffLim, 512);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_EQ(dcb.EofChar, 0x1A);
}

TEST(TermiosDcb, SpeedCodesCoverTheWin32RatesTermiosNames) {
    for (uint32_t baud :
         {110u, 300u, 600u, 1200u, 2400u, 4800u, 9600u, 19200u, 38400u, 57600u, 115200u}) {
        SCOPED_TRACE(baud);
        const speed_t code = SpeedCodeForBaud(baud);
        ASSERT_NE(code, B0);
        EXPECT_EQ(BaudForSpeedCode(code), baud);
    }
    // Set as custom rates instead.
    for (uint32_t baud : {0u, 14400u, 56000u, 128000u, 256000u}) {
        EXPECT_EQ(SpeedCodeForBaud(baud), B0) << baud;
    }
}

}  // namespace
