# The environment every Wine run of the tests shares: the build's own prefix,
# no debug chatter, and a UTF-8 locale whatever the caller has (or lacks), since
# Wine maps file names to the host's bytes through the locale: under C or POSIX
# a name outside ASCII cannot be made at all.
#   . env.sh PREFIX
# Wine's Recycle Bin (the host's home trash) and its desktop entries go to the
# prefix, never to the user's own.
export WINEPREFIX=$1 WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8 XDG_DATA_HOME=$1/xdg-data
unset LANGUAGE
