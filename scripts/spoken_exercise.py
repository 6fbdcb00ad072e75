"""The value of an exercise as the game speaks it, worked out from its words
alone ("Espressione: 3 a meno b. a vale 2, b vale meno 1. ..."), as a blind
pupil would. Imported by the pupil's player; run with the words as its one
argument, it prints the value."""
import re
import sys


def value_of(said):
    m = re.search(r"Espressione: (.*?)\. a vale (meno )?(\d+), b vale (meno )?(\d+)\.", said)
    values = {"a": int(m.group(3)) * (-1 if m.group(2) else 1),
              "b": int(m.group(5)) * (-1 if m.group(4) else 1)}
    total, sign, number = 0, 1, None
    for word in m.group(1).split():
        if word == "meno":
            sign = -1
        elif word == "più":
            sign = 1
        elif word.isdigit():
            number = int(word)
        else:
            total += sign * (1 if number is None else number) * values[word]
            sign, number = 1, None
    return total


if __name__ == "__main__":
    print(value_of(sys.argv[1]))
