# The program on a virtual screen (Xvfb). Sourced by run.sh and by the tests
# that start the program or its drivers.

# A virtual screen has no graphics card: the embedded browser draws in
# software and keeps quiet about the missing GPU and its context settings.
case " ${QTWEBENGINE_CHROMIUM_FLAGS:-} " in
*" --disable-gpu "*) ;;
*) export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu${QTWEBENGINE_CHROMIUM_FLAGS:+ $QTWEBENGINE_CHROMIUM_FLAGS}" ;;
esac
case ";${QT_LOGGING_RULES:-};" in
*";qt.webenginecontext.info=false;"*) ;;
*) export QT_LOGGING_RULES="qt.webenginecontext.info=false${QT_LOGGING_RULES:+;$QT_LOGGING_RULES}" ;;
esac

# virtual_screen SIZE: sets the array `screen` to the xvfb-run command for a
# screen of SIZE (WIDTHxHEIGHT), on a display number of its own. The search
# for a free number starts at a point that differs from run to run, so that
# screens started at the same moment by other runs on the machine seldom
# meet (and xvfb-run takes the next free number when they do).
virtual_screen() {
    screen=(xvfb-run -n "$((100 + RANDOM % 400))" -a -s "-screen 0 ${1}x24")
}

# quiet_log LOG: fails, naming the lines, when the program's output holds the
# browser's context report or a GPU error.
quiet_log() {
    local noise
    noise=$(grep -E -m 3 'qt\.webenginecontext|^Init Parameters:|ERROR:.*([Gg][Pp][Uu]|viz_)' "$1") || return 0
    echo "FAIL: the program's output is not quiet on a virtual screen ($1):"
    echo "$noise"
    return 1
}
