<?xml version="1.0" encoding="UTF-8"?>
<!--
  The general breed's check of an imported flock file. The transformation stops with a message at
  the first animal that breaks a breed rule, which refuses the import; its output is not used.
  Rules, as the plug-in applies them:
  - a tattoo has 1 to 20 characters: ASCII letters, digits, blanks, '-', '/' and '.'; it begins and
    ends with a letter or digit and never has two of the separators in a row;
  - every event's Type is one of the breed's event names (without regard to case).
  Elements are matched by local name so that the check does not depend on the namespace.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="text" encoding="UTF-8"/>

  <xsl:variable name="alnum" select="'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'"/>
  <xsl:variable name="lower" select="'abcdefghijklmnopqrstuvwxyz'"/>
  <xsl:variable name="upper" select="'ABCDEFGHIJKLMNOPQRSTUVWXYZ'"/>
  <xsl:variable name="events"
      select="'|SOLD|PURCHASED|DIED|SERVED|WEIGHED|TAGGED|INSEMINATED|TUPPED|TUPPING|BORN|LAMBED|TREATED|DOSED|VACCINATED|SHORN|SCANNED|CONDITION SCORED|FOOT CARE|NOTE|MOVED ON|MOVED OFF|KILLED|WEANED|'"/>

  <xsl:template match="/">
    <xsl:for-each select="*/*[local-name() = 'Dedov']">
      <xsl:variable name="tattoo" select="string(*[local-name() = 'Tattoo'])"/>
      <xsl:variable name="length" select="string-length($tattoo)"/>
      <xsl:if test="$length &lt; 1 or $length &gt; 20
                    or translate($tattoo, concat($alnum, ' -/.'), '') != ''
                    or not(contains($alnum, substring($tattoo, 1, 1)))
                    or not(contains($alnum, substring($tattoo, $length, 1)))
                    or contains(translate($tattoo, ' /.', '---'), '--')">
        <xsl:message terminate="yes">The tattoo '<xsl:value-of select="$tattoo"/>' is not valid for this breed.</xsl:message>
      </xsl:if>
      <xsl:for-each select="*[local-name() = 'Event']">
        <xsl:variable name="type" select="string(@Type)"/>
        <xsl:if test="$type = '' or contains($type, '|')
                      or not(contains($events, concat('|', translate($type, $lower, $upper), '|')))">
          <xsl:message terminate="yes">The event '<xsl:value-of select="$type"/>' of <xsl:value-of select="$tattoo"/> is not an event of this breed.</xsl:message>
        </xsl:if>
      </xsl:for-each>
    </xsl:for-each>
    <xsl:text>valid</xsl:text>
  </xsl:template>
</xsl:stylesheet>
