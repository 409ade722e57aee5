#!/usr/bin/env python3
"""Writes the starting corpus of the synth_midi_input fuzz target into
tests/inputs/synth_midi_input/: what a synth, other gear and a controller
keyboard send, one file per situation. Each file starts with the target's
two bytes (input, state and channel; chunk length) and then holds the bytes
on the wire. Run it again after changing a message here."""

import os

HEADER = [0xF0, 0x00, 0x3E, 0x5A]

# The first byte of a file: the input and the model's state.
IDLE, SINGLE_FETCH, SAVE_ALL, SAVE_ALL_TO_CACHE, WRITE, FIRMWARE, LEARN, BANK_WRITE = range(8)
KEYBOARD = 0x80
ITEM_CHOSEN = 0x40


def channel(n):
    return n << 3


def dump(location, name, values=None, short=False):
    """A program dump (213 bytes; short: the first 104 values, 115 bytes):
    header, class 3, command 0x41, 3, location, the values, the name padded
    with NUL, the sum of the bytes from 8 on as two 7-bit digits, F7."""
    if values is None:
        values = [(i * 7 + 3) & 0x7F for i in range(170)]
    m = HEADER + [0x03, 0x41, 0x03, location] + values
    if short:
        m = m[:112]
    else:
        m += [ord(c) for c in name[:32]] + [0] * (32 - min(len(name), 32))
    total = sum(m[8:])
    return m + [(total >> 7) & 0x7F, total & 0x7F, 0xF7]


def reply(message_class, code):
    return HEADER + [message_class, code, 0xF7]


WRITE_OK, WRITE_FAILED = reply(0x03, 0x21), reply(0x03, 0x22)
ERASING, READY, UPDATE_OK, UPDATE_FAILED = (reply(0x02, c) for c in (0x11, 0x12, 0x14, 0x15))
CLOCK, ACTIVE_SENSING = [0xF8], [0xFE]


def other_makers_sysex(size, maker=0x43):
    return [0xF0, maker] + [(i * 13) & 0x7F for i in range(size - 3)] + [0xF7]


# Another maker's 7-byte message with a reply code where the synth's has it.
LOOKALIKE_WRITE_OK = [0xF0, 0x7D, 0x01, 0x02, 0x03, 0x21, 0xF7]
LOOKALIKE_ERASING = [0xF0, 0x7D, 0x01, 0x02, 0x03, 0x11, 0xF7]

NOTES = [0x90, 0x3C, 0x64, 0x90, 0x40, 0x50, 0x80, 0x3C, 0x00, 0x40, 0x00]  # the last by running status
CONTROLLERS = [0xB0, 0x4A, 0x00, 0xB0, 0x47, 0x7F, 0xB0, 0x4A, 0x40, 0x47, 0x20]
NRPN_SELECT = [0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x22]
OTHER_CHANNEL_MESSAGES = [0xE0, 0x00, 0x40, 0xC0, 0x05, 0xD0, 0x30, 0xA0, 0x3C, 0x20]


def with_clock_inside(message, every):
    """A real-time clock byte after every `every` bytes, as a synth's clock
    interleaves a dump on the wire."""
    out = []
    for i, b in enumerate(message):
        out.append(b)
        if i % every == every - 1 and b != 0xF7:
            out += CLOCK
    return out


def two_knobs(pairs):
    out = []
    for i in range(pairs):
        out += [0xB0, 0x4A, i & 0x7F, 0xB0, 0x47, 0x7F - (i & 0x7F)]
    return out


CORPUS = {
    "synth_idle_unasked_dump": ([IDLE, 0], dump(7, "Warm Pad")),
    "synth_fetch_dump": ([SINGLE_FETCH, 0], dump(7, "Warm Pad")),
    "synth_fetch_dump_in_chunks_with_clock": ([SINGLE_FETCH, 61], with_clock_inside(dump(7, "Lead"), 50)),
    "synth_fetch_short_dump": ([SINGLE_FETCH, 0], dump(7, "", short=True)),
    "synth_fetch_bad_sum_then_dump": ([SINGLE_FETCH, 17], dump(7, "X")[:-3] + [0, 0, 0xF7] + dump(7, "X")),
    "synth_fetch_other_location": ([SINGLE_FETCH, 0], dump(8, "Late") + dump(7, "Asked")),
    "synth_save_all_dumps": ([SAVE_ALL, 32], dump(1, "One") + ACTIVE_SENSING + dump(2, "") + dump(3, "Three")),
    "synth_save_all_to_cache": ([SAVE_ALL_TO_CACHE, 16], dump(1, "A") + dump(2, "", short=True)),
    "synth_write_ok": ([WRITE, 0], WRITE_OK),
    "synth_write_failed": ([WRITE, 3], WRITE_FAILED),
    "synth_write_lookalike": ([WRITE, 0], LOOKALIKE_WRITE_OK),
    "synth_firmware_update": ([FIRMWARE, 0], ERASING + READY + UPDATE_OK),
    "synth_firmware_failed": ([FIRMWARE, 5], READY + UPDATE_FAILED),
    "synth_firmware_erasing_only": ([FIRMWARE, 0], ERASING),
    "synth_firmware_lookalike": ([FIRMWARE, 0], LOOKALIKE_ERASING + READY),
    "synth_bank_write_acks": ([BANK_WRITE, 0], WRITE_OK + WRITE_OK + WRITE_FAILED),
    "synth_other_makers_bulk": ([IDLE, 255], other_makers_sysex(3000, 0x41) + CLOCK + other_makers_sysex(9)),
    "synth_unfinished_sysex_then_notes": ([IDLE, 4], dump(7, "Cut")[:100] + NOTES + CLOCK),
    "synth_short_messages_on_a_channel": ([IDLE | channel(2), 2], NOTES + CONTROLLERS + [0xB1, 0x07, 0x64]),
    "keyboard_two_learnt_knobs": ([KEYBOARD | IDLE, 0], two_knobs(64)),
    "keyboard_notes_clock_and_more": ([KEYBOARD | IDLE, 3], NOTES + CLOCK + OTHER_CHANNEL_MESSAGES + CLOCK),
    "keyboard_nrpn_select_then_knob": ([KEYBOARD | IDLE, 0], NRPN_SELECT + [0xB0, 0x4A, 0x10]),
    "keyboard_learn_armed": ([KEYBOARD | LEARN, 0], [0xB0, 0x10, 0x40, 0xB0, 0x4A, 0x20]),
    "keyboard_learn_armed_item_chosen": ([KEYBOARD | LEARN | ITEM_CHOSEN, 0], [0xB0, 0x15, 0x40, 0xB0, 0x15, 0x7F]),
    "keyboard_sysex_ignored": ([KEYBOARD | IDLE, 5], other_makers_sysex(20) + CONTROLLERS),
    "keyboard_during_write": ([KEYBOARD | WRITE, 2], two_knobs(8) + NOTES),
    "keyboard_channel_filter": ([KEYBOARD | IDLE | channel(1), 0], [0xB0, 0x4A, 0x40, 0xB1, 0x4A, 0x40] + CLOCK),
}


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "inputs", "synth_midi_input")
    os.makedirs(folder, exist_ok=True)
    for name, (head, wire) in sorted(CORPUS.items()):
        assert all(0 <= b <= 0xFF for b in head + wire), name
        with open(os.path.join(folder, name + ".bin"), "wb") as f:
            f.write(bytes(head + wire))


if __name__ == "__main__":
    main()
